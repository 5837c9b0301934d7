#include "AlignMenu.h"
#include <QMenu>
#include <QWidget>

namespace qv {

QMenu* buildAlignMenu(QWidget* parent, const std::function<void(AlignCommand)>& run)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    const struct { const char* name; const char* caption; AlignCommand command; } entries[] = {
        {"N1", "左揃え(&L)", AlignCommand::Left},
        {"N2", "左右中央揃え(&C)", AlignCommand::CentreH},
        {"N3", "右揃え(&R)", AlignCommand::Right},
        {"N5", "上揃え(&T)", AlignCommand::Top},
        {"N6", "上下中央揃え(&M)", AlignCommand::CentreV},
        {"N7", "下揃え(&B)", AlignCommand::Bottom},
        {"N9", "左右均等揃え(&H)", AlignCommand::DistributeH},
        {"N10", "上下均等揃え（&V）", AlignCommand::DistributeV},
    };
    int count = 0;
    for (const auto& e : entries) {
        QAction* a = menu->addAction(QString::fromUtf8(e.caption));
        a->setObjectName(QLatin1String(e.name));
        const AlignCommand command = e.command;
        QObject::connect(a, &QAction::triggered, menu, [run, command] { run(command); });
        if (++count == 3 || count == 6)
            menu->addSeparator();
    }
    return menu;
}

void attachAlignMenu(QWidget* canvas, QMenu* menu, bool on)
{
    // The menu opens from the canvas's context-menu request, which only comes while attached.
    canvas->setContextMenuPolicy(on ? Qt::CustomContextMenu : Qt::PreventContextMenu);
    QObject::disconnect(canvas, &QWidget::customContextMenuRequested, menu, nullptr);
    if (on)
        QObject::connect(canvas, &QWidget::customContextMenuRequested, menu,
                         [canvas, menu](const QPoint& pos) { menu->popup(canvas->mapToGlobal(pos)); });
}

} // namespace qv
