#include "Art.h"
#include "ArtKit.h"
namespace art {






QImage crashPicture() { return canvas(320, 240, Qt::black); }
QImage aboutPicture() { return canvas(300, 200, Qt::black); }




}
