#include "platform/qt/qt_desktop_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QUrl>

#include "platform/qt/utf8.h"

namespace kestrin {

bool QtDesktopShell::open(const std::string& target, const std::string& workingFolder) {
    const QString text = toQString(target);
    if (text.isEmpty()) return false;

    if (text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("http:"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("https:"), Qt::CaseInsensitive)) {
        const QUrl url(text, QUrl::TolerantMode);
        return url.isValid() && QDesktopServices::openUrl(url);
    }

    // A file: a relative path is taken from the working folder.
    QString path = text;
    if (QFileInfo(path).isRelative() && !workingFolder.empty()) path = QDir(toQString(workingFolder)).filePath(path);
    if (!QFileInfo::exists(path)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace kestrin
