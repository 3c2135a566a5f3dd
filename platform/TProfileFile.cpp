// STUB: replaced by the profile file implementation.
#include "platform/TProfileFile.h"
TProfileFile::TProfileFile(QString p) : path(std::move(p)) {}
TProfileFile TProfileFile::Settings() { return TProfileFile(SettingsPath()); }
QString TProfileFile::SettingsPath() { return {}; }
QString TProfileFile::ReadString(const QString &, const QString &, const QString &d) const { return d; }
void TProfileFile::WriteString(const QString &, const QString &, const QString &) {}
void TProfileFile::WriteStrings(const QString &, const KeyValues &) {}
