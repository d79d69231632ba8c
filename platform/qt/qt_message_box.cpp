#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "platform/qt/utf8.h"

namespace kestrin {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageResult QtMessageBox::show(const std::string& text, const std::string& title, MessageButtons buttons,
                                 MessageIcon icon) {
    const bool yesNo = buttons == MessageButtons::YesNo;
    QPointer<QMessageBox> box =
        new QMessageBox(toQtIcon(icon), toQString(title), toQStringLines(text),
                        yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    if (yesNo) {
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    }
    const int answer = box->exec();
    // The owner may have gone while the box was open; then the box went with it.
    delete box.data();
    if (!yesNo) return MessageResult::Ok;
    return answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
}

}  // namespace kestrin
