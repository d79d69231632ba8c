#include "platform/qt/qt_text_files.h"

#include "platform/failure.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace kestrin {

namespace {

QString qtPath(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

// The failure for a file that could not be opened or written: not found, permission denied
// or, for anything else, a path/file access error. The description names the file.
[[noreturn]] void throwFileError(const std::string& path, const QFile& file, bool forWriting) {
    const QFileInfo info(file.fileName());
    const QString reason = file.errorString();
    if (!forWriting && !info.exists())
        throw Failure(failures::kFileNotFound, "File not found: " + path);
    const bool denied = info.exists() ? (forWriting ? !info.isWritable() : !info.isReadable())
                                      : (QFileInfo(info.absolutePath()).exists() &&
                                         !QFileInfo(info.absolutePath()).isWritable());
    if (denied && !info.isDir())
        throw Failure(failures::kPermissionDenied, "Permission denied: " + path);
    throw Failure(failures::kPathFileAccess,
                  "Path/File access error: " + path + " (" + reason.toStdString() + ")");
}

}  // namespace

bool QtTextFiles::exists(const std::string& path) {
    return !path.empty() && QFileInfo::exists(qtPath(path));
}

std::vector<std::string> QtTextFiles::readLines(const std::string& path) {
    QFile file(qtPath(path));
    if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::ReadOnly)) throwFileError(path, file, false);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throwFileError(path, file, false);
    file.close();

    // Bytes that are not valid in the system encoding become replacement characters.
    QStringDecoder decode(QStringConverter::System);
    const QString text = decode(bytes);

    std::vector<std::string> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const bool terminated = end >= 0;
        if (!terminated) end = text.size();
        qsizetype stop = end;
        if (terminated && stop > start && text.at(stop - 1) == QLatin1Char('\r')) --stop;
        lines.push_back(QStringView(text).mid(start, stop - start).toUtf8().toStdString());
        start = end + 1;
    }
    return lines;
}

void QtTextFiles::createEmpty(const std::string& path) {
    QFile file(qtPath(path));
    // Append mode creates a missing file and leaves an existing one as it is.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) throwFileError(path, file, true);
}

void QtTextFiles::appendLine(const std::string& path, const std::string& text) {
    QStringEncoder encode(QStringConverter::System);
    QByteArray bytes = encode(qtPath(text));
    bytes.append("\r\n");

    QFile file(qtPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) throwFileError(path, file, true);
    if (file.write(bytes) != bytes.size() || !file.flush()) throwFileError(path, file, true);
    file.close();
    if (file.error() != QFileDevice::NoError) throwFileError(path, file, true);
}

}  // namespace kestrin
