#include "ui/site_tree.h"

#include "library/site_order.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

// Each top-level item keeps its name's bytes beside the shown text, which may not decode them
// exactly.
constexpr int kNameRole = Qt::UserRole + 1;

QTreeWidgetItem* NewItem(const std::string& name, SitePos pos) {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromUtf8(name)));
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(pos)));
    return item;
}

} // namespace

SitePos CSiteTree::PosOf(const QTreeWidgetItem* item) {
    return reinterpret_cast<SitePos>(item->data(0, Qt::UserRole).value<quintptr>());
}

QStringList CSiteTree::NamesOf(const QTreeWidgetItem* item) {
    QStringList names;
    for (; item; item = item->parent())
        names.prepend(item->text(0));
    return names;
}

QTreeWidgetItem* CSiteTree::Find(const QTreeWidget* tree, const QStringList& names) {
    QTreeWidgetItem* item = nullptr;
    for (const QString& name : names) {
        QTreeWidgetItem* found = nullptr;
        const int count = item ? item->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem* child = item ? item->child(i) : tree->topLevelItem(i);
            if (child->text(0) == name)
                found = child;
        }
        if (!found)
            return nullptr;
        item = found;
    }
    return item;
}

void CSiteTree::Fill(SiteLibrary& library) {
    for (library.FirstCircuit(); library.HasCircuit(); library.NextCircuit()) {
        QTreeWidgetItem* circuit = InsertCircuit(library.GetCircuitName(), library.GetCircuitPos());
        for (library.FirstTheater(); library.HasTheater(); library.NextTheater()) {
            QTreeWidgetItem* theater =
                AppendChild(circuit, library.GetTheaterName(), library.GetTheaterPos());
            for (library.FirstScreen(); library.HasScreen(); library.NextScreen())
                AppendChild(theater, library.GetScreenName(), library.GetScreenPos());
        }
    }
}

QTreeWidgetItem* CSiteTree::InsertCircuit(const std::string& name, SitePos pos) {
    // Circuits stand in natural order, the one the command-line listing uses.
    int index = 0;
    while (index < m_pTree->topLevelItemCount()) {
        const QByteArray other = m_pTree->topLevelItem(index)->data(0, kNameRole).toByteArray();
        if (CompareSiteNames(std::string_view(other.constData(), other.size()), name) > 0)
            break;
        ++index;
    }
    QTreeWidgetItem* item = NewItem(name, pos);
    item->setData(0, kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    m_pTree->insertTopLevelItem(index, item);
    return item;
}

QTreeWidgetItem* CSiteTree::AppendChild(QTreeWidgetItem* parent, const std::string& name,
                                        SitePos pos) {
    QTreeWidgetItem* item = NewItem(name, pos);
    parent->addChild(item);
    return item;
}

QTreeWidgetItem* CSiteTree::InsertEntry(QTreeWidgetItem* parent, const std::string& name,
                                        SitePos pos) {
    return parent ? AppendChild(parent, name, pos) : InsertCircuit(name, pos);
}

QTreeWidgetItem* CSiteTree::Selected() const {
    return m_pTree->currentItem();
}

SiteSelection CSiteTree::SelectedSite(const SiteLibrary& library) const {
    const QTreeWidgetItem* selected = Selected();
    return selected ? library.SelectionOf(PosOf(selected)) : SiteSelection{};
}

void CSiteTree::Select(QTreeWidgetItem* item) {
    if (item && item->parent())
        item->parent()->setExpanded(true);
    m_pTree->setCurrentItem(item);
}

void CSiteTree::SelectFirstIfNone() {
    if (Selected())
        return;
    for (int i = 0; i < m_pTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* first = m_pTree->topLevelItem(i);
        if (first != m_pDying) {
            m_pTree->setCurrentItem(first);
            return;
        }
    }
}

QTreeWidgetItem* CSiteTree::SelectedAt(SiteLevel level) const {
    QTreeWidgetItem* item = Selected();
    int depth = 0;
    for (const QTreeWidgetItem* up = item; up && up->parent(); up = up->parent())
        ++depth;
    for (; item && depth + 1 > static_cast<int>(level); --depth)
        item = item->parent();
    return item;
}

void CSiteTree::DeleteSelected() {
    QTreeWidgetItem* item = Selected();
    if (!item)
        return;
    m_pDying = item;
    m_pTree->setCurrentItem(item->parent());
    delete item;
    m_pDying = nullptr;
}

void CSiteTree::PopUp(QMenu* menu, const QPoint& point) {
    QTreeWidgetItem* item = m_pTree->itemAt(point);
    if (item)
        m_pTree->setCurrentItem(item);
    if (QTreeWidgetItem* selected = Selected())
        menu->popup(m_pTree->viewport()->mapToGlobal(
            item ? point : m_pTree->visualItemRect(selected).center()));
}

std::vector<QStringList> CSiteTree::OpenedItems() const {
    std::vector<QStringList> opened;
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it)
        if ((*it)->isExpanded())
            opened.push_back(NamesOf(*it));
    return opened;
}

bool CSiteTree::Refill(SiteLibrary& library, const QStringList& keep,
                       const std::vector<QStringList>& opened) {
    // The panel follows once, after the tree is whole.
    const QSignalBlocker block(m_pTree);
    m_pTree->clear();
    Fill(library);
    for (const QStringList& names : opened)
        if (QTreeWidgetItem* item = Find(m_pTree, names))
            item->setExpanded(true);
    if (QTreeWidgetItem* item = keep.isEmpty() ? nullptr : Find(m_pTree, keep)) {
        for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
            parent->setExpanded(true);
        m_pTree->setCurrentItem(item);
    }
    return Selected() != nullptr;
}
