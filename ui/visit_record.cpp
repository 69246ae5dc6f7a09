#include "ui/visit_record.h"

#include "library/site_visit.h"
#include "paper/visit_paper.h"
#include "ui/text_viewer.h"

#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

std::optional<std::time_t> AskVisitStart(QWidget* parent, const std::string& scopeText) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Visit Record");
    auto* layout = new QFormLayout(&dialog);
    auto* intro = new QLabel(QString::fromUtf8("The record of " + scopeText +
                                               " lists each screen touched since the day "
                                               "chosen, then the screens left alone."),
                             &dialog);
    intro->setWordWrap(true);
    layout->addRow(intro);
    auto* date = new QDateEdit(QDate::currentDate(), &dialog);
    date->setCalendarPopup(true);
    date->setDisplayFormat("yyyy-MM-dd");
    date->setMaximumDate(QDate::currentDate());
    layout->addRow("&Since:", date);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 50);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return StartOfLocalDay(date->date().toString("yyyy-MM-dd").toStdString());
}

CTextViewDlg* ShowVisitRecord(QWidget* owner, WindowPrompt& boxes, SiteLibrary& library,
                              const std::filesystem::path& root,
                              const std::vector<std::string>& scope, std::time_t since) {
    const VisitRecord record =
        ReadVisitRecord(root, library, scope, since, std::time(nullptr), kDefaultOverdueDays);
    const std::string title = VisitPaperTitle(record);
    return ShowPaperViewer(owner, boxes, QString::fromUtf8(title),
                           QString::fromUtf8(RenderVisitText(record)),
                           {VisitPaperReports(record), "Visit Record", title,
                            "Visit record " + VisitScopeText(record)});
}
