#include "platform/qt/qt_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "platform/qt/utf8.h"

namespace kestrin {

namespace {

// Whether a file can be created in the folder: a probe file is made and removed again.
bool canCreateFilesIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kestrin-probe-XXXXXX")));
    return probe.open();  // removed when probe goes out of scope
}

}  // namespace

Folders chooseFolders() { return chooseFolders(QCoreApplication::applicationDirPath()); }

Folders chooseFolders(const QString& program) {
    Folders folders;
    folders.program = toStdString(program);
    const bool installed = QFileInfo::exists(QDir(program).filePath(QString::fromLatin1(kInstalledMarker)));
    if (!installed && canCreateFilesIn(program)) {
        folders.write = folders.program;
        return folders;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);  // a failure shows later, when a file cannot be written there
    folders.write = toStdString(data);
    return folders;
}

}  // namespace kestrin
