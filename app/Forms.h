// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchHost.h"

// The program-wide references to the six windows, each created once at
// start-up in this order and living until the program ends.
class TForm1;
class TAboutBox;
class TMultiFileDBox;
class TMultiErrorDBox;
class TErrorDBox;
class TOtherDBox;

extern TForm1 *Form1;
extern TAboutBox *AboutBox;
extern TMultiFileDBox *MultiFileDBox;
extern TMultiErrorDBox *MultiErrorDBox;
extern TErrorDBox *ErrorDBox;
extern TOtherDBox *OtherDBox;

// Creates the six windows in order (used by the program entry and the tests).
void CreateForms();
// What the batch window reads of the main window (its settings record, open
// dialog folder and path box), each value when it needs it.
BatchHost mainWindowHost();
// Destroys them in reverse order.
void DestroyForms();
