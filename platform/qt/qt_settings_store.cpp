#include "platform/qt/qt_settings_store.h"

#include "platform/failure.h"

#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

namespace kestrin {

namespace {

QString qtKey(const std::string& section, const std::string& key) {
    // An empty group leaves the key at the top level, where no encoded section can be.
    const std::string group = QtSettingsStore::encodeName(section);
    const std::string name = key.empty() ? std::string("%") : QtSettingsStore::encodeName(key);
    return QString::fromLatin1(group.empty() ? name : group + "/" + name);
}

}  // namespace

QtSettingsStore::QtSettingsStore() = default;
QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::encodeName(const std::string& name) {
    return QUrl::toPercentEncoding(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
        .toStdString();
}

QSettings& QtSettingsStore::settingsFor(const std::string& application) {
    auto& slot = files_[application];
    if (!slot)
        slot = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kestrin"),
                                           QString::fromStdString(application));
    return *slot;
}

std::string QtSettingsStore::fileName(const std::string& application) {
    return settingsFor(application).fileName().toStdString();
}

std::string QtSettingsStore::read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& defaultValue) {
    const QVariant value = settingsFor(application).value(qtKey(section, key));
    if (!value.isValid()) return defaultValue;
    // A hand-edited file may hold "a, b", which QSettings reads as a list.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return value.toString().toStdString();
}

void QtSettingsStore::write(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    QSettings& settings = settingsFor(application);
    settings.setValue(qtKey(section, key), QString::fromStdString(value));
    settings.sync();
    const QSettings::Status status = settings.status();
    if (status == QSettings::NoError) return;

    // QSettings keeps the first error it met, also one met while reading: start afresh from
    // the file for the next call (which forgets a value that could not be saved).
    const QString file = settings.fileName();
    files_.erase(application);
    // A file holding lines QSettings could not read reports a format error even though the
    // write went through.
    if (status == QSettings::FormatError && QFileInfo(file).isFile() && QFileInfo(file).isWritable()) return;
    throw Failure(failures::kPathFileAccess,
                  "Path/File access error: the settings could not be saved to " + file.toStdString());
}

}  // namespace kestrin
