#include "platform/qt/qt_settings_store.h"

#include "platform/failure.h"
#include "platform/qt/utf8.h"

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
    return QUrl::toPercentEncoding(toQString(name)).toStdString();
}

QSettings& QtSettingsStore::settingsFor(const std::string& application) {
    auto& slot = files_[application];
    if (!slot)
        slot = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kestrin"),
                                           toQString(application));
    return *slot;
}

std::string QtSettingsStore::fileName(const std::string& application) {
    return settingsFor(application).fileName().toStdString();
}

std::string QtSettingsStore::read(const std::string& application, const std::string& section, const std::string& key,
                                  const std::string& defaultValue) {
    const QVariant value = settingsFor(application).value(qtKey(section, key));
    if (!value.isValid()) return defaultValue;
    // A hand-edited file may hold "a, b", which QSettings reads as a list.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return value.toString().toStdString();
}

void QtSettingsStore::write(const std::string& application, const std::string& section, const std::string& key,
                            const std::string& value) {
    writeAll(application, {{section, key, value}});
}

void QtSettingsStore::writeAll(const std::string& application, const std::vector<Write>& writes) {
    // The file as the store's own QSettings names it; a QSettings on that name shares what
    // the store's one has read, so a save does not read the file again.
    const QString file = settingsFor(application).fileName();

    // QSettings keeps the first error it ever met, so each save gets a QSettings of its own
    // whose status speaks of this save only.
    QSettings::Status status = QSettings::NoError;
    {
        QSettings save(file, QSettings::IniFormat);
        for (const Write& one : writes) save.setValue(qtKey(one.section, one.key), toQString(one.value));
        save.sync();
        status = save.status();
    }
    // The error may have been met while reading: a line QSettings cannot read says nothing
    // about the save (which drops that line). Values that were not saved are still pending,
    // and a fresh QSettings tries them once more: its status tells whether the file now holds
    // them. A second try covers a file changed by someone else in between.
    for (int tries = 0; status != QSettings::NoError && tries < 2; ++tries) {
        QSettings check(file, QSettings::IniFormat);
        check.sync();
        status = check.status();
        if (status == QSettings::AccessError) break;
    }
    if (status == QSettings::NoError) return;
    throw Failure(failures::kPathFileAccess,
                  "Path/File access error: the settings could not be saved to " + file.toStdString());
}

}  // namespace kestrin
