#include "window/CheckSetList.h"

#include "traffic/SetPaths.h"
#include "window/Bytes.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tarvik {

namespace {

enum Column { FileColumn, LineColumn, SeverityColumn, CodeColumn, MessageColumn };

} // namespace

CheckSetList::CheckSetList(std::vector<Diagnostic> diagnostics, const std::string& plansFile,
                           std::function<void(int64_t line)> show, QWidget* parent)
    : QDialog(parent), Found(std::move(diagnostics)) {
    setObjectName(QStringLiteral("CheckSetList"));
    setWindowTitle(QStringLiteral("Check Set"));
    Rows = new QTreeWidget(this);
    Rows->setObjectName(QStringLiteral("CheckSetRows"));
    Rows->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Line"),
                           QStringLiteral("Severity"), QStringLiteral("Code"),
                           QStringLiteral("Message")});
    Rows->setRootIsDecorated(false);
    Rows->setUniformRowHeights(true);
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < Found.size(); ++i) {
        const Diagnostic& d = Found[i];
        auto* item = new QTreeWidgetItem;
        item->setText(FileColumn, ToQ(FileName(d.File)));
        item->setData(LineColumn, Qt::DisplayRole, QVariant::fromValue<qlonglong>(d.Line));
        item->setText(SeverityColumn, d.Level == Severity::Error ? QStringLiteral("error")
                                                                 : QStringLiteral("warning"));
        item->setText(CodeColumn, ToQ(d.Code));
        item->setText(MessageColumn, ToQ(d.Message));
        item->setData(FileColumn, Qt::UserRole, QVariant::fromValue<qulonglong>(i));
        items << item;
    }
    Rows->addTopLevelItems(items);
    Rows->setSortingEnabled(true);
    Rows->sortByColumn(-1, Qt::AscendingOrder); // as found until a head is clicked
    Rows->header()->setStretchLastSection(true);
    for (int column = FileColumn; column < MessageColumn; ++column)
        Rows->resizeColumnToContents(column);
    connect(Rows, &QTreeWidget::currentItemChanged, this,
            [this, plansFile, show = std::move(show)](QTreeWidgetItem* item) {
                if (!item)
                    return;
                const Diagnostic& d = Found[item->data(FileColumn, Qt::UserRole).toULongLong()];
                if (d.File == plansFile)
                    show(d.Line);
            });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("CheckSetCopy"));
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Text()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Rows);
    layout->addWidget(buttons);
    resize(760, 360);
}

QString CheckSetList::Text() const {
    QString text;
    for (int i = 0; i < Rows->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = Rows->topLevelItem(i);
        text += ToQ(DiagnosticText(Found[item->data(FileColumn, Qt::UserRole).toULongLong()]));
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace tarvik
