#include "ui/diff_dlg.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& text) {
    return QString::fromUtf8(text);
}

} // namespace

CDiffDlg::CDiffDlg(QWidget* parent, const std::string& strStored, const std::string& strOther,
                   const std::vector<SettingsDifference>& differences)
    : QDialog(parent) {
    setWindowTitle("Differences");
    auto* layout = new QVBoxLayout(this);
    m_pSummary = new QLabel(this);
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextFormat(Qt::PlainText);
    m_pSummary->setText(Q(SettingsComparison{strStored, strOther, differences}.Summary()));
    layout->addWidget(m_pSummary);

    m_pTable = new QTableWidget(static_cast<int>(differences.size()), 4, this);
    m_pTable->setHorizontalHeaderLabels({"Section", "Field", "Stored", Q("Other: " + strOther)});
    m_pTable->verticalHeader()->setVisible(false);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setAlternatingRowColors(true);
    int row = 0;
    for (const SettingsDifference& difference : differences) {
        const std::string cells[] = {difference.m_strSection, DifferenceField(difference),
                                     difference.m_strFirst, difference.m_strSecond};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(Q(cells[column]));
            if (difference.m_bRawByte)
                item->setToolTip("A byte that the configuration report does not show.");
            m_pTable->setItem(row, column, item);
        }
        ++row;
    }
    m_pTable->resizeColumnsToContents();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->setVisible(!differences.empty());
    // Wide enough for every column as its contents need, so no value is cut off or hidden
    // behind a scroll bar, as far as the screen allows.
    int nWidth = 2 * m_pTable->frameWidth() + m_pTable->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < m_pTable->columnCount(); ++column)
        nWidth += m_pTable->columnWidth(column);
    nWidth = std::max(nWidth, fontMetrics().averageCharWidth() * 90);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        nWidth = std::min(nWidth, screen->availableGeometry().width() * 9 / 10);
    m_pTable->setMinimumSize(nWidth, fontMetrics().height() * (differences.empty() ? 2 : 16));
    layout->addWidget(m_pTable, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
