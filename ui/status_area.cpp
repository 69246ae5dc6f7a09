#include "ui/status_area.h"

#include "control/prompt.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// Device paths and file names are long words without spaces: a break may follow each of their
// separators, so that a line ends inside one instead of running out of the control.
QString Breakable(QString text) {
    static const QChar kBreak(0x200B); // zero width space
    for (const QChar separator : {QChar('/'), QChar('\\'), QChar('_')})
        text.replace(separator, QString(separator) + kBreak);
    return text;
}

} // namespace

CStatusArea::CStatusArea(QLabel* label, QPushButton* details, Prompt& prompt)
    : QObject(label), m_pLabel(label), m_pDetails(details), m_prompt(prompt) {
    m_pLabel->setWordWrap(true);
    m_pLabel->setTextFormat(Qt::PlainText);
    m_pDetails->hide();
    connect(m_pDetails, &QPushButton::clicked, this, &CStatusArea::ShowDetails);
}

void CStatusArea::SetStatus(const QString& strStatus) {
    m_strStatus = strStatus;
    m_strReason.clear();
    Show();
}

void CStatusArea::AddReason(const QString& strReason) {
    m_strReason = m_strReason.isEmpty() ? strReason : m_strReason + "\n" + strReason;
    Show();
}

void CStatusArea::Show() {
    const QRect room = m_pLabel->contentsRect();
    const QFontMetrics metrics(m_pLabel->font());
    const auto fits = [&](const QString& text) {
        return metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, text)
                   .height() <= room.height();
    };
    const QString whole = m_strReason.isEmpty() ? m_strStatus : m_strStatus + "\n" + m_strReason;
    const QString shown = Breakable(whole);
    if (m_strReason.isEmpty() || fits(shown)) {
        m_pLabel->setText(shown);
        m_pLabel->setToolTip(QString());
        m_pDetails->hide();
        return;
    }
    // As many of the reason's words as fit after the status text, then "...".
    const QStringList words = Breakable(m_strReason).split(QRegularExpression("\\s+"));
    QString cut = m_strStatus;
    for (qsizetype count = 1; count <= words.size(); ++count) {
        const QString candidate =
            m_strStatus + "\n" + QStringList(words.mid(0, count)).join(' ') + QChar(0x2026);
        if (!fits(candidate))
            break;
        cut = candidate;
    }
    m_pLabel->setText(cut);
    m_pLabel->setToolTip(whole);
    m_pDetails->show();
}

void CStatusArea::ShowDetails() {
    Tell(m_prompt, (m_strStatus + "\n\n" + m_strReason).toStdString(), m_prompt.ProgramCaption(),
         PromptIcon::Exclamation);
}
