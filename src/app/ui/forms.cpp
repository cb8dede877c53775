#include "app/ui/forms.h"

#include "app/programstate.h"
#include "download/download.h"
#include "download/ui/form_read.h"
#include "link/ui/form_comm.h"
#include "link/ui/form_wait2.h"
#include "online/ui/form_show.h"
#include "views/ui/aboutbox.h"
#include "views/ui/form1.h"
#include "views/ui/form_comment.h"
#include "views/ui/form_message.h"

TForm1* Form1 = nullptr;
TAboutBox* AboutBox = nullptr;
TForm_read* Form_read = nullptr;
TForm_comment* Form_comment = nullptr;
TForm_Show* Form_Show = nullptr;
TForm_Comm* Form_Comm = nullptr;
TForm_wait2* Form_wait2 = nullptr;
TForm_Message* Form_Message = nullptr;

void createForms(const QStringList& args)
{
    // The main window's start-up work runs in its constructor, before the others exist.
    Form1 = new TForm1(args);
    AboutBox = new TAboutBox;
    Form_read = new TForm_read;
    Form_comment = new TForm_comment;
    Form_Show = new TForm_Show;
    Form_Comm = new TForm_Comm;
    Form_wait2 = new TForm_wait2;
    Form_Message = new TForm_Message;
    programState().messageLog = Form_Message;  // composition
}

template <class T>
static void drop(T*& w)
{
    delete w;
    w = nullptr;
}

void destroyForms()
{
    programState().messageLog = nullptr;  // composition
    drop(Form_Message);
    drop(Form_wait2);
    drop(Form_Comm);
    drop(Form_Show);
    drop(Form_comment);
    drop(Form_read);
    drop(AboutBox);
    drop(Form1);
}
