// The eight windows of the program, created once at start-up in this order and
// living until the program ends.
#pragma once

#include <QStringList>

class TForm1;
class TAboutBox;
class TForm_read;
class TForm_comment;
class TForm_Show;
class TForm_Comm;
class TForm_wait2;
class TForm_Message;

extern TForm1* Form1;
extern TAboutBox* AboutBox;
extern TForm_read* Form_read;
extern TForm_comment* Form_comment;
extern TForm_Show* Form_Show;
extern TForm_Comm* Form_Comm;
extern TForm_wait2* Form_wait2;
extern TForm_Message* Form_Message;

// Creates the eight windows; args are the program's command-line arguments
// (without the program name).
void createForms(const QStringList& args);
// Deletes them again (tests create a fresh set per case).
void destroyForms();
