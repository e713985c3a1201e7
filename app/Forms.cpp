#include "Forms.h"

#include "About.h"
#include "ErrorDialg.h"
#include "MainForm.h"
#include "OtherDialog.h"

#include "batch/AllRewriteDialog.h"
#include "batch/MultiErrorDialog.h"

TForm1 *Form1 = nullptr;
TAboutBox *AboutBox = nullptr;
TMultiFileDBox *MultiFileDBox = nullptr;
TMultiErrorDBox *MultiErrorDBox = nullptr;
TErrorDBox *ErrorDBox = nullptr;
TOtherDBox *OtherDBox = nullptr;

void CreateForms()
{
    Form1 = new TForm1;
    AboutBox = new TAboutBox;
    MultiFileDBox = new TMultiFileDBox;
    MultiErrorDBox = new TMultiErrorDBox;
    ErrorDBox = new TErrorDBox;
    OtherDBox = new TOtherDBox;
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
