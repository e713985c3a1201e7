#include "MultiErrorDialog.h"

TMultiErrorDBox::TMultiErrorDBox(QWidget *parent) : QDialog(parent)
{
}
