#include "Art.h"
#include "ArtKit.h"
namespace art {

QImage sidePanel() { return canvas(92, 552, Qt::black); }
QImage gameOverPicture() { return canvas(603, 452, Qt::black); }

QImage hallOfFamePicture() { return canvas(800, 600, Qt::black); }
QImage newHighscorePicture() { return canvas(320, 240, Qt::black); }
QImage crashPicture() { return canvas(320, 240, Qt::black); }
QImage aboutPicture() { return canvas(300, 200, Qt::black); }




}
