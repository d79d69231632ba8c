#include "ui/stats_view.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/accessibility.h"
#include "ui/look.h"
#include "ui/widgets.h"

namespace kestrin::ui {

StatsView::StatsView(StatsForm& form, QWidget* owner) : DialogView(form, 5955, 4440, true, owner) {
    // Close comes first in the tab order.
    auto* close = new QPushButton(this);
    close->setGeometry(twips(4710, 3990, 1125, 345));
    binder().bind(form.cmdClose, close);

    auto* pages = new QListWidget(this);
    pages->setGeometry(twips(120, 120, 1365, 3765));
    binder().bind(form.lstPage, pages);
    nameControl(pages, QStringLiteral("Page"));

    QWidget* inner = panel(frame(this, "fraFrame", QString(), twips(1590, 30, 4275, 3855)), 0, 4185, 3675, 135);
    auto* text = new QPlainTextEdit(inner);
    text->setGeometry(twips(90, 75, 4005, 3540));
    text->setFont(fixedFont());
    // Tab stops every eight characters, as the columns of the high score tables expect.
    text->setTabStopDistance(8 * QFontMetricsF(text->font()).horizontalAdvance(QLatin1Char(' ')));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The page is a read-only sheet in the button-face colour.
    QPalette sheet = text->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        sheet.setColor(group, QPalette::Base, sheet.color(group, QPalette::Button));
    text->setPalette(sheet);
    binder().bind(form.txtStats, text);
    nameControl(text, QStringLiteral("Statistics"));

    auto* refresh = new QPushButton(this);
    refresh->setGeometry(twips(3510, 3990, 1125, 345));
    binder().bind(form.cmdRefresh, refresh);

    setTabOrder(close, pages);
    setTabOrder(pages, text);
    setTabOrder(text, refresh);
}

}  // namespace kestrin::ui
