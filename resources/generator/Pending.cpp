#include "Art.h"
#include "ArtKit.h"
namespace art {







QImage aboutPicture() { return canvas(300, 200, Qt::black); }




}
