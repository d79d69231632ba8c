#include "platform/qt/qt_folders.h"

#include <QCoreApplication>
#include <QDir>
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

Folders chooseFolders() {
    Folders folders;
    const QString program = QCoreApplication::applicationDirPath();
    folders.program = toStdString(program);
    if (canCreateFilesIn(program)) {
        folders.write = folders.program;
        return folders;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);  // a failure shows later, when a file cannot be written there
    folders.write = toStdString(data);
    return folders;
}

}  // namespace kestrin
