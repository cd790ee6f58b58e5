#include <QTreeWidget>

#include "app/LinkTree.h"
#include "core/Texts.h"

namespace ordalis {

namespace {
enum TreeImage { RootImage = 2, PortImage = 4, AddressImage = 5 };

QTreeWidgetItem* AddNode(QTreeWidgetItem* item, const QString& text, int image) {
    item->setText(0, text);
    item->setData(0, Qt::UserRole, image);
    return item;
}
}  // namespace

bool FillLinkTree(QTreeWidget* tree, const Settings& settings) {
    tree->clear();
    tree->setFocus();
    const LinkRecord& record = settings.linkRecord;
    if (settings.LastComMode != 1 || !record.Selection()) return false;
    auto* root = AddNode(new QTreeWidgetItem(tree), Text(settings, {"连接", "Link"}), RootImage);
    const int entries = record.EntryCount();
    if (entries == 0 || entries > LinkRecord::kMaxEntries) return true;
    for (int k = 0; k < entries; ++k) {
        auto* port = AddNode(new QTreeWidgetItem(root), QStringLiteral("COM%1").arg(record.Port(k)),
                             PortImage);
        const int count = record.AddressCount(k);
        if (count == 0 || count > 16) return false;
        for (int i = 0; i < count; ++i) {
            const QString text = Text(settings, {"地址:", "Address: "}) +
                                 QString::number(record.Address(k, i), 16).toUpper();
            AddNode(new QTreeWidgetItem(port), text, AddressImage);
        }
    }
    tree->expandAll();
    return true;
}

}  // namespace ordalis
