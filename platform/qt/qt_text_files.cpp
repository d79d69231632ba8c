#include "platform/qt/qt_text_files.h"

#include "platform/failure.h"
#include "platform/qt/utf8.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

namespace kestrin {

namespace {

[[noreturn]] void throwNotPlainFile(const std::string& path) {
    throw Failure(failures::kPathFileAccess, "Path/File access error: " + path + " is not a plain file");
}

// A file that was opened but could not be read or written.
[[noreturn]] void throwIoFailure(const std::string& path, const QFile& file) {
    throw Failure(failures::kPathFileAccess,
                  "Path/File access error: " + path + " (" + file.errorString().toStdString() + ")");
}

enum class Use { Read, Create, Append };

#ifdef Q_OS_UNIX
// A file that could not be opened: not found, permission denied or, for anything else, a
// path/file access error. The description names the file.
[[noreturn]] void throwOpenFailure(const std::string& path, int error, Use use) {
    if (error == ENOENT && use == Use::Read) throw Failure(failures::kFileNotFound, "File not found: " + path);
    if (error == EACCES || error == EPERM || error == EROFS)
        throw Failure(failures::kPermissionDenied, "Permission denied: " + path);
    if (error == EISDIR || error == ENXIO) throwNotPlainFile(path);  // ENXIO: a FIFO nobody reads
    throw Failure(failures::kPathFileAccess, "Path/File access error: " + path + " (" + std::strerror(error) + ")");
}
#endif

// Opens the file only when it is a plain file; creates it for Create and Append. Anything
// else under the name is refused before it is opened; the open itself does not wait either
// (for a FIFO put there in the meantime) and goes no further unless what it opened is plain.
void openPlainFile(QFile& file, const std::string& path, Use use) {
    const QFileInfo info(toQString(path));
    if (info.exists() && !info.isFile()) throwNotPlainFile(path);
    QIODevice::OpenMode mode = QIODevice::ReadOnly;
    if (use == Use::Create) mode = QIODevice::WriteOnly | QIODevice::Append;
    if (use == Use::Append) mode = QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered;
#ifdef Q_OS_UNIX
    int flags = O_RDONLY;
    if (use == Use::Create) flags = O_WRONLY | O_APPEND | O_CREAT;
    if (use == Use::Append) flags = O_RDWR | O_APPEND | O_CREAT;
    const QByteArray name = QFile::encodeName(toQString(path));
    const int fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) throwOpenFailure(path, errno, use);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throwNotPlainFile(path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throwIoFailure(path, file);
    }
#else
    file.setFileName(toQString(path));
    if (!file.open(mode)) {
        if (use == Use::Read && !QFileInfo::exists(file.fileName()))
            throw Failure(failures::kFileNotFound, "File not found: " + path);
        throwIoFailure(path, file);
    }
#endif
}

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined keep their own code
// point (U+0081 …), so every byte has a character of its own.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// One line of a file as program text: in the system encoding when the line is valid there,
// otherwise as Windows-1252.
std::string lineText(QByteArrayView line) {
    QStringDecoder decode(QStringConverter::System,
                          QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = decode(line);
    if (!decode.hasError()) return text.toStdString();
    QString windows;
    windows.reserve(line.size());
    for (const char byte : line) {
        const auto code = static_cast<unsigned char>(byte);
        windows.append(QChar(code >= 0x80 && code < 0xA0 ? kWindows1252High[code - 0x80] : char16_t{code}));
    }
    return windows.toStdString();
}

}  // namespace

bool QtTextFiles::exists(const std::string& path) { return !path.empty() && QFileInfo::exists(toQString(path)); }

std::vector<std::string> QtTextFiles::readLines(const std::string& path) {
    QFile file;
    openPlainFile(file, path, Use::Read);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throwIoFailure(path, file);
    file.close();

    // A byte order mark at the start marks the encoding; it is no part of the first entry.
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF")) text = text.sliced(3);

    std::vector<std::string> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const bool terminated = end >= 0;
        if (!terminated) end = text.size();
        qsizetype stop = end;
        if (terminated && stop > start && text.at(stop - 1) == '\r') --stop;
        lines.push_back(lineText(text.sliced(start, stop - start)));
        start = end + 1;
    }
    return lines;
}

void QtTextFiles::createEmpty(const std::string& path) {
    QFile file;
    // Append mode creates a missing file and leaves an existing one as it is.
    openPlainFile(file, path, Use::Create);
}

void QtTextFiles::appendLine(const std::string& path, const std::string& text) {
    QStringEncoder encode(QStringConverter::System);
    QByteArray bytes = encode(toQString(text));
    bytes.append("\r\n");

    QFile file;
    openPlainFile(file, path, Use::Append);
    // A last line without a line end (the file was edited by hand) stays a line of its own.
    const qint64 size = file.size();
    if (size > 0) {
        char last = 0;
        if (!file.seek(size - 1) || !file.getChar(&last)) throwIoFailure(path, file);
        if (last != '\n') bytes.prepend("\r\n");
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) throwIoFailure(path, file);
    file.close();
    if (file.error() != QFileDevice::NoError) throwIoFailure(path, file);
}

}  // namespace kestrin
