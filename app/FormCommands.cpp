// The form automation behind the Zarn and Tags buttons and "Fill Form With
// Personal Details".
#include "app/unitZarnWeb.h"

#include "browserhost/Sextant.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>

#include <exception>

namespace {

void reportError(const QString& text) { MessageDlg(text, mtError, mbOK); }

} // namespace

void TfrmMain::bindFormCommands()
{
    connect(BtnZarn, &QPushButton::clicked, this, [this] { runFormCommand([this] { ZarnClick(); }); });
    connect(BtnTags, &QPushButton::clicked, this, [this] { runFormCommand([this] { BtnTagsClick(); }); });
    OnMenuCommand(TMenuCommand::FillForm, [this] { runFormCommand([this] { FillFormWithPersonalDetails1Click(); }); });
}

void TfrmMain::runFormCommand(const std::function<void()>& command)
{
    if (formCommandRunning_)
        return;
    QAction* menuItem = MenuItem(TMenuCommand::FillForm);
    const auto enable = [this, menuItem](bool enabled) {
        BtnZarn->setEnabled(enabled);
        BtnTags->setEnabled(enabled);
        if (menuItem)
            menuItem->setEnabled(enabled);
    };
    formCommandRunning_ = true;
    enable(false);
    try {
        command();
    } catch (const std::exception& error) {
        reportError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportError(QStringLiteral("The form command failed."));
    }
    formCommandRunning_ = false;
    enable(true);
}

bool TfrmMain::FindFormElement(
    TSextant* Browser, const QString& Type, const QString& Name, TFormElementPos& Pos, int Occurrence)
{
    return Browser && ::FindFormElement(*Browser, Type, Name, Pos, Occurrence);
}

void TfrmMain::ListFormElements(TSextant* Browser, QPlainTextEdit* Memo)
{
    Memo->clear();
    if (Browser)
        Memo->setPlainText(::ListFormElements(*Browser).join(u'\n'));
}

bool TfrmMain::setData(TFormRun& run)
{
    if (!run.Open(AdFormAddress()))
        return false;
    if (FindFormElement(Sextant1, QStringLiteral("radio"), QStringLiteral("company_ad"), FormElementPos, 2))
        ClickFormElement(*Sextant1, FormElementPos);
    bool completed = false;
    FillFields(run, AdRecordFields(), &completed);
    return completed;
}

bool TfrmMain::SetData()
{
    TFormRun run(*Sextant1);
    if (setData(run))
        return true;
    reportError(run.Error());
    return false;
}

void TfrmMain::ZarnClick()
{
    SeedAdPictures();
    const QStringList pictures = AdPicturePaths();
    QStringList notAttached;
    const auto attach = [&](const QString& picture) {
        const TAttachResult result = AttachFile(*Sextant1, FormElementPos, picture);
        if (result != TAttachResult::Attached)
            notAttached << QFileInfo(picture).fileName() + QStringLiteral(": ") + AttachFailureText(result);
    };
    const auto fail = [&](TFormRun& run) {
        notAttached.prepend(run.Error());
        reportError(notAttached.join(u'\n'));
    };

    TFormRun run(*Sextant1);
    if (!setData(run))
        return fail(run);
    if (FindFormElement(Sextant1, QStringLiteral("file"), QStringLiteral("image"), FormElementPos, 1)) {
        // The click returns once its chooser is answered: no key of the next
        // picture can reach this one's chooser.
        attach(pictures[0]);
        if (!run.Settle())
            return fail(run);
        if (FindFormElement(Sextant1, QStringLiteral("button"), QString(), FormElementPos, 1))
            ClickFormElement(*Sextant1, FormElementPos);
    }

    TFormRun again(*Sextant1);
    if (!setData(again))
        return fail(again);
    if (FindFormElement(Sextant1, QStringLiteral("button"), QString(), FormElementPos, 1)) {
        for (const QString& picture : pictures) {
            attach(picture);
            if (!again.Settle())
                return fail(again);
        }
    }
    if (!notAttached.isEmpty())
        MessageDlg(notAttached.join(u'\n'), mtWarning, mbOK);
}

void TfrmMain::BtnTagsClick()
{
    Memo1->setHidden(!Memo1->isHidden());
    if (!Memo1->isHidden())
        ListFormElements(Sextant1, Memo1);
}

void TfrmMain::FillFormWithPersonalDetails1Click()
{
    TFormRun run(*Sextant1);
    bool completed = false;
    if (run.Open(RegistrationFormAddress()))
        FillFields(run, PersonalDetailsFields(), &completed);
    if (!completed)
        reportError(run.Error());
}
