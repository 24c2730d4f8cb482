#include "WidgetDialogs.h"

#include "DialogCommon.h"
#include "GuiUtils.h"
#include "LinkMessageDlg.h"
#include "LoginDlg.h"
#include "MessageDlg.h"
#include "ProgressDlg.h"
#include "SubscribeMsgDlg.h"

#include "app/AppCore.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct ButtonSpec
{
    QMessageBox::StandardButton button;
    int answer;
};

QList<ButtonSpec> ButtonsFor(unsigned flags)
{
    switch (flags & 0xFu) {
    case MsgBox::OkCancel: return {{QMessageBox::Ok, MsgBox::IdOk}, {QMessageBox::Cancel, MsgBox::IdCancel}};
    case 0x2:  // abort, retry, ignore
        return {{QMessageBox::Abort, MsgBox::IdAbort},
                {QMessageBox::Retry, MsgBox::IdRetry},
                {QMessageBox::Ignore, MsgBox::IdIgnore}};
    case MsgBox::YesNoCancel:
        return {{QMessageBox::Yes, MsgBox::IdYes}, {QMessageBox::No, MsgBox::IdNo},
                {QMessageBox::Cancel, MsgBox::IdCancel}};
    case MsgBox::YesNo: return {{QMessageBox::Yes, MsgBox::IdYes}, {QMessageBox::No, MsgBox::IdNo}};
    case MsgBox::RetryCancel: return {{QMessageBox::Retry, MsgBox::IdRetry}, {QMessageBox::Cancel, MsgBox::IdCancel}};
    default: return {{QMessageBox::Ok, MsgBox::IdOk}};
    }
}

QMessageBox::Icon IconFor(unsigned flags)
{
    switch (flags & 0xF0u) {
    case MsgBox::IconError: return QMessageBox::Critical;
    case MsgBox::IconQuestion: return QMessageBox::Question;
    case MsgBox::IconWarning: return QMessageBox::Warning;
    case MsgBox::IconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

QWidget *WidgetDialogs::Owner() const
{
    AppCore *app = theAppIfAny();
    if (m_mainWindow && app && app->MainWindowFlag())
        return m_mainWindow;
    return nullptr;
}

int WidgetDialogs::MessageBox(const QString &text, const QString &caption, unsigned flags)
{
    QMessageBox box(IconFor(flags), DialogCommon::CaptionOrTitle(caption), text, QMessageBox::NoButton, Owner());
    box.setObjectName(QStringLiteral("messageBox"));
    // Texts carry server and file contents: never interpreted as markup.
    box.setTextFormat(Qt::PlainText);
    const QList<ButtonSpec> specs = ButtonsFor(flags);
    QList<QPushButton *> buttons;
    for (const ButtonSpec &spec : specs)
        buttons << box.addButton(spec.button);
    const int defaultIndex = int((flags >> 8) & 0xFu);
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
    // Esc and the close box: Cancel when offered, the single button of an OK
    // box, else No (a box without a way out answers as the cautious choice).
    for (const ButtonSpec &spec : specs) {
        if (spec.button == QMessageBox::Cancel || spec.button == QMessageBox::No || specs.size() == 1) {
            box.setEscapeButton(box.button(spec.button));
            if (spec.button == QMessageBox::Cancel)
                break;
        }
    }
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    for (int i = 0; i < specs.size(); ++i) {
        if (buttons[i] == clicked)
            return specs[i].answer;
    }
    return specs.size() == 1 ? specs.first().answer : MsgBox::IdCancel;
}

int WidgetDialogs::MessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon)
{
    ::MessageDlg dlg(text, detail, flag, mode != 0, icon, Owner());
    return dlg.DoModal();
}

int WidgetDialogs::MessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon)
{
    ::MessageDlg2 dlg(text, detail, flag, mode != 0, icon, Owner());
    return dlg.DoModal();
}

int WidgetDialogs::LinkMessageDlg(const LinkBoxRequest &request)
{
    const bool yesNo = request.acceptText.isEmpty() && request.declineText.isEmpty();
    ::LinkMessageDlg dlg(QString(), request.text, yesNo, !yesNo, DialogCommon::IconIdFromFlags(request.icon), Owner());
    dlg.SetLink(request.linkText, request.linkUrl);
    dlg.SetAcceptText(request.acceptText);
    dlg.SetDeclineText(request.declineText);
    return dlg.DoModal();
}

int WidgetDialogs::LoginDlg(int mode)
{
    CLoginDlg dlg(mode, Owner());
    return dlg.DoModal();
}

int WidgetDialogs::ProfileSheet(const QString &caption, bool editing)
{
    if (m_profileSheet)
        return m_profileSheet(caption, editing);
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("the profile sheet is not available"), QStringLiteral("ProfileSheet"), 3);
    return 0;
}

int WidgetDialogs::SubscribeMsgDlg(const QString &notice, bool disableBuyPasses)
{
    ::SubscribeMsgDlg dlg(Owner());
    dlg.SetMessage(notice);
    dlg.SetDisableBuyPasses(disableBuyPasses);
    return dlg.DoModal();
}

QString WidgetDialogs::GetOpenFileName(const QString &title, const QString &filter, const QString &file)
{
    QFileDialog dlg(Owner(), title);
    dlg.setObjectName(QStringLiteral("openFileDialog"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = GuiUtils::CaseInsensitiveFilters(GuiUtils::ConvertFileFilter(filter));
    if (!filters.isEmpty()) {
        // The sets of both cases would only clutter the list: it shows the descriptions.
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        dlg.setNameFilters(filters);
    }
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        if (info.isDir()) {
            dlg.setDirectory(file);
        } else {
            if (info.dir().exists())
                dlg.setDirectory(info.absolutePath());
            dlg.selectFile(info.fileName());
        }
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

QString WidgetDialogs::GetSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                                       const QString &file)
{
    QFileDialog dlg(Owner(), title);
    dlg.setObjectName(QStringLiteral("saveFileDialog"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    QString suffix = defaultExt;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dlg.setDefaultSuffix(suffix);
    const QStringList filters = GuiUtils::ConvertFileFilter(filter);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        if (info.dir().exists() && info.path() != u".")
            dlg.setDirectory(info.absolutePath());
        dlg.selectFile(info.fileName());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

std::unique_ptr<IProgress> WidgetDialogs::CreateProgress()
{
    return std::make_unique<ProgressAdapter>();
}
