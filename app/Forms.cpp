// SPDX-License-Identifier: GPL-3.0-or-later
#include "Forms.h"

#include "About.h"
#include "ErrorDialg.h"
#include "MainForm.h"
#include "OtherDialog.h"

#include "batch/AllRewriteDialog.h"
#include "batch/MultiErrorDialog.h"

#include <QLineEdit>

TForm1 *Form1 = nullptr;
TAboutBox *AboutBox = nullptr;
TMultiFileDBox *MultiFileDBox = nullptr;
TMultiErrorDBox *MultiErrorDBox = nullptr;
TErrorDBox *ErrorDBox = nullptr;
TOtherDBox *OtherDBox = nullptr;

BatchHost mainWindowHost()
{
    BatchHost host;
    host.settings = [] {
        const SettingsRecord &s = Form1->Settings;
        return BatchSettings{s.SubDirectory, s.NotUpdate, s.MaxOffset, s.NoErrDialog, s.DelItems};
    };
    host.openDialogFolder = [] { return Form1->openDialogFolder(); };
    host.listFont = [] { return Form1->Edit1->font(); };
    host.listTextColour = []() -> std::optional<QColor> {
        if (!Form1->Edit1->testAttribute(Qt::WA_SetPalette))
            return std::nullopt;
        return Form1->Edit1->palette().color(QPalette::Text);
    };
    host.errorDialog = MultiErrorDBox;
    return host;
}

void CreateForms()
{
    Form1 = new TForm1;
    AboutBox = new TAboutBox;
    MultiFileDBox = new TMultiFileDBox;
    // The error dialogs are owned by the windows they report for, so that
    // they open over them.
    MultiErrorDBox = new TMultiErrorDBox(MultiFileDBox);
    ErrorDBox = new TErrorDBox(Form1);
    OtherDBox = new TOtherDBox;
    MultiFileDBox->setHost(mainWindowHost());
}

void DestroyForms()
{
    delete OtherDBox;
    OtherDBox = nullptr;
    delete ErrorDBox;
    ErrorDBox = nullptr;
    delete MultiErrorDBox;
    MultiErrorDBox = nullptr;
    delete MultiFileDBox;
    MultiFileDBox = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete Form1;
    Form1 = nullptr;
}
