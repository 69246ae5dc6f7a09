#include "ui/site_status_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text) {
    return QString::fromUtf8(text);
}

constexpr int kRowRole = Qt::UserRole;
constexpr int kSortRole = Qt::UserRole + 1;

// Sorts by the value kept for sorting where a column has one (the read time, the state's
// urgency), else by the text as the technician reads it.
class StatusItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant mine = data(column, kSortRole);
        const QVariant theirs = other.data(column, kSortRole);
        if (mine.isValid() && theirs.isValid())
            return mine.toLongLong() < theirs.toLongLong();
        return text(column).localeAwareCompare(other.text(column)) < 0;
    }
};

QColor StateColour(ScreenState state) {
    switch (state) {
    case ScreenState::FailsChecks:
    case ScreenState::Conflict:
        return QColor(170, 0, 0);
    case ScreenState::Overdue:
    case ScreenState::NeverRead:
        return QColor(150, 80, 0);
    case ScreenState::UpToDate:
        break;
    }
    return QColor(0, 110, 0);
}

} // namespace

CSiteStatusDlg::CSiteStatusDlg(QWidget* parent, std::string scopeText, std::vector<StatusRow> rows,
                               int nOverdueDays)
    : QDialog(parent), m_rows(std::move(rows)) {
    setWindowTitle(Q("Site Status of " + scopeText));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(Q("Each screen of " + scopeText +
                               ", with the date its settings were last read from the "
                               "VRX-3KM. Settings read more than " +
                               std::to_string(nOverdueDays) +
                               " days ago are overdue. Click a column's title to sort by it."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setHeaderLabels({"Circuit", "Theater", "Screen", "Last read", "State", "Own port"});
    m_pList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pList->header()->setStretchLastSection(true);
    m_pList->setMinimumSize(fontMetrics().averageCharWidth() * 120, fontMetrics().height() * 14);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const StatusRow& row = m_rows[i];
        const ScreenTarget& target = row.m_status.m_target;
        auto* item = new StatusItem(
            m_pList, {Q(target.m_strCircuit), Q(target.m_strTheater), Q(target.m_strScreen),
                      Q(row.m_strLastRead), ScreenStateText(row.m_status.m_nState),
                      row.m_bPortProblem ? "cannot be used" : Q(row.m_strPort)});
        item->setData(0, kRowRole, static_cast<qulonglong>(i));
        // Never read sorts before the oldest read; the most urgent state sorts last.
        item->setData(3, kSortRole, static_cast<qlonglong>(row.m_status.m_lastRead.value_or(-1)));
        item->setData(kStateColumn, kSortRole, static_cast<int>(row.m_status.m_nState));
        const QColor colour = StateColour(row.m_status.m_nState);
        item->setForeground(kStateColumn, colour);
        if (NeedsAttention(row.m_status.m_nState)) {
            QFont bold = item->font(kStateColumn);
            bold.setBold(true);
            item->setFont(kStateColumn, bold);
            item->setForeground(3, colour);
        }
        if (row.m_bPortProblem)
            item->setToolTip(5, Q(row.m_strPort));
    }
    // The library's order until a column's title is clicked.
    m_pList->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pList->setSortingEnabled(true);
    layout->addWidget(m_pList, 1);

    m_pSummary =
        new QLabel(Q(m_rows.empty() ? "No screens there yet." : StatusSummary(m_rows)), this);
    layout->addWidget(m_pSummary);

    auto* buttons = new QDialogButtonBox(this);
    m_pLoad = buttons->addButton("&Load Settings from VRX-3KM", QDialogButtonBox::ActionRole);
    m_pLoad->setToolTip("Selects the screen in the main window and loads its settings, through "
                        "its own port when it has one");
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pLoad, &QPushButton::clicked, this, [this] {
        m_loadRequested = SelectedScreen();
        if (m_loadRequested)
            accept();
    });
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_pLoad->setEnabled(SelectedScreen().has_value()); });
    layout->addWidget(buttons);
    if (m_pList->topLevelItemCount() > 0)
        m_pList->setCurrentItem(m_pList->topLevelItem(0));
    m_pLoad->setEnabled(SelectedScreen().has_value());
}

std::optional<ScreenTarget> CSiteStatusDlg::SelectedScreen() const {
    const QList<QTreeWidgetItem*> selected = m_pList->selectedItems();
    if (selected.size() != 1)
        return std::nullopt;
    const auto index = selected.front()->data(0, kRowRole).toULongLong();
    return m_rows.at(index).m_status.m_target;
}

void CSiteStatusDlg::SelectScreen(const ScreenTarget& target) {
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_pList->topLevelItem(i);
        const ScreenTarget& row =
            m_rows.at(item->data(0, kRowRole).toULongLong()).m_status.m_target;
        if (row.m_strCircuit == target.m_strCircuit && row.m_strTheater == target.m_strTheater &&
            row.m_strScreen == target.m_strScreen) {
            m_pList->setCurrentItem(item);
            return;
        }
    }
}
