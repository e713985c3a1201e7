#include "AllRewriteDialog.h"

TMultiFileDBox::TMultiFileDBox(QWidget *parent) : QDialog(parent)
{
}
