// The native message box and file chooser of the GTK driver under Xvfb,
// answered with real keys and clicks: what they show (title, text, buttons,
// folder, name, filters) and what IupMessage, IupGetFile and the "filedlg"
// class make of the answer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gtkfixture.h"
#include "gtkprobe.h"
#include "iup.h"

namespace {

using gtkprobe::During;
using gtkprobe::Step;
using gtkprobe::WaitWindow;

std::string Cwd() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

void Touch(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr) << path;
  std::fputs("x", f);
  std::fclose(f);
}

std::string Text(IupElement* e, const char* name) {
  const char* value = IupGetAttribute(e, name);
  return value != nullptr ? value : "(null)";
}

// What a file chooser offered.
struct Offer {
  GtkFileChooserAction action = GTK_FILE_CHOOSER_ACTION_OPEN;
  std::string folder, name, filter;
  bool confirms_overwrite = false;
  int filters = 0;
  std::vector<bool> matches;  // of the probe names below, by the filter shown
};
const char* const kProbeNames[] = {"a.txt", "b.lua", "c.png"};

bool Matches(GtkFileFilter* filter, const char* name) {
  GtkFileFilterInfo info{};
  info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
  info.display_name = name;
  return gtk_file_filter_filter(filter, &info);
}

// The message dialog shown over a chooser, or null.
GtkWindow* MessageShown() {
  GtkWindow* found = nullptr;
  GList* tops = gtk_window_list_toplevels();
  for (GList* t = tops; t != nullptr; t = t->next)
    if (GTK_IS_MESSAGE_DIALOG(t->data) && gtk_widget_get_mapped(GTK_WIDGET(t->data)))
      found = GTK_WINDOW(t->data);
  g_list_free(tops);
  return found;
}

class NativeDialogs : public gtkprobe::ToolkitTest {
 protected:
  NativeDialogs() : ToolkitTest(true) {}
  void SetUp() override {
    ToolkitTest::SetUp();
    if (HasFatalFailure()) return;
    char pattern[] = "/tmp/varko-chooser-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    Touch(dir_ + "/exists.txt");
  }
  void TearDown() override {
    ToolkitTest::TearDown();
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  Step Inspect(Offer* offer) {
    return {"inspect the chooser",
            [this, offer] {
              GtkFileChooser* fc = GTK_FILE_CHOOSER(window_);
              offer->action = gtk_file_chooser_get_action(fc);
              if (gchar* folder = gtk_file_chooser_get_current_folder(fc)) {
                offer->folder = folder;
                g_free(folder);
              }
              if (offer->action == GTK_FILE_CHOOSER_ACTION_SAVE) {
                if (gchar* name = gtk_file_chooser_get_current_name(fc)) {
                  offer->name = name;
                  g_free(name);
                }
              }
              offer->confirms_overwrite = gtk_file_chooser_get_do_overwrite_confirmation(fc);
              GSList* filters = gtk_file_chooser_list_filters(fc);
              offer->filters = static_cast<int>(g_slist_length(filters));
              g_slist_free(filters);
              if (GtkFileFilter* shown = gtk_file_chooser_get_filter(fc)) {
                offer->filter =
                    gtk_file_filter_get_name(shown) ? gtk_file_filter_get_name(shown) : "";
                for (const char* probe : kProbeNames)
                  offer->matches.push_back(Matches(shown, probe));
              }
            },
            nullptr};
  }
  // Types a path where the chooser takes one (the name field when saving,
  // the location field when opening) and clicks the accept button, again
  // while the chooser stays up (the first click may only close the list
  // of completions).
  Step Answer(const std::string& path, std::function<bool()> done = nullptr) {
    auto typed = std::make_shared<bool>(false);
    return {"answer " + path,
            [this, path, typed] {
              const bool save = gtk_file_chooser_get_action(GTK_FILE_CHOOSER(window_)) ==
                                GTK_FILE_CHOOSER_ACTION_SAVE;
              if (!*typed) {
                *typed = true;
                EXPECT_TRUE(gtkprobe::Keys(window_, save ? "ctrl+a" : "ctrl+l"));
                EXPECT_TRUE(gtkprobe::Type(window_, path));
              }
              gtkprobe::ClickWidget(
                  gtk_dialog_get_widget_for_response(GTK_DIALOG(window_), GTK_RESPONSE_ACCEPT));
            },
            done ? done : [this] { return !gtk_widget_get_mapped(GTK_WIDGET(window_)); }, 2};
  }
  Step Escape() {
    return {"Escape", [this] { EXPECT_TRUE(gtkprobe::Keys(window_, "Escape")); }, nullptr};
  }

  std::string dir_;
  GtkWindow* window_ = nullptr;
};

TEST_F(NativeDialogs, MessageBoxShowsTitleTextAndOneButton) {
  IupElement* owner = IupCreateDialog(IupCreateLabel("owner"));
  IupSetAttribute(owner, "TITLE", "the owner");
  IupShowXY(owner, 50, 50);
  for (const char* how : {"click", "Return"}) {
    SCOPED_TRACE(how);
    gtkprobe::Look look;
    GtkWindow* parent = nullptr;
    bool modal = false;
    Step look_step{"look",
                   [&] {
                     look = gtkprobe::LookAt(window_);
                     parent = gtk_window_get_transient_for(window_);
                     modal = gtk_window_get_modal(window_);
                   },
                   nullptr};
    Step answer{
        "answer",
        [&] {
          if (std::strcmp(how, "click") == 0)
            EXPECT_TRUE(gtkprobe::ClickWidget(gtkprobe::FindWidget(window_, GTK_TYPE_BUTTON)));
          else
            EXPECT_TRUE(gtkprobe::Keys(window_, "Return"));
        },
        nullptr};
    During({WaitWindow("Note", &window_), look_step, answer},
           [] { IupMessage("Note", "hello\nworld \xe1rea"); });
    ASSERT_EQ(look.buttons.size(), 1u);
    EXPECT_EQ(look.buttons[0], "OK");
    EXPECT_EQ(look.labels, std::vector<std::string>{"hello\nworld \u00e1rea"})
        << "Latin-1 text shown as it reads";
    EXPECT_EQ(parent, gtkprobe::Toplevel("the owner")) << "owned by the active dialog";
    EXPECT_TRUE(modal);
  }
  IupDestroy(owner);
}

TEST_F(NativeDialogs, GetFileAnswersExistingNewAndCancelled) {
  char name[256];
  std::snprintf(name, sizeof name, "%s/start.txt", dir_.c_str());
  Offer first, second;
  int status = 0;
  During({WaitWindow("File Selection", &window_), Inspect(&first), Answer(dir_ + "/exists.txt")},
         [&] { status = IupGetFile(name); });
  EXPECT_EQ(status, 0) << "an existing file";
  EXPECT_EQ(std::string(name), dir_ + "/exists.txt");
  EXPECT_EQ(first.folder, dir_) << "the folder of the initial name";
  EXPECT_EQ(first.name, "start.txt") << "the initial name without its folder";
  EXPECT_EQ(first.filters, 0) << "no filter";
  EXPECT_FALSE(first.confirms_overwrite) << "IupGetFile asks nothing";

  std::strcpy(name, "fresh.txt");
  During({WaitWindow("File Selection", &window_), Inspect(&second), Answer(dir_ + "/fresh.txt")},
         [&] { status = IupGetFile(name); });
  EXPECT_EQ(status, 1) << "a new name";
  EXPECT_EQ(std::string(name), dir_ + "/fresh.txt");
  EXPECT_EQ(second.folder, dir_) << "the folder of the last chosen file";
  EXPECT_EQ(second.name, "fresh.txt");

  std::strcpy(name, "kept.txt");
  During({WaitWindow("File Selection", &window_), Escape()}, [&] { status = IupGetFile(name); });
  EXPECT_EQ(status, -1);
  EXPECT_STREQ(name, "kept.txt") << "a cancel leaves the name";
}

TEST_F(NativeDialogs, PortugueseTitle) {
  unsetenv("IUP_INGLES");
  char name[256] = "";
  int status = 0;
  During({WaitWindow("Sele\u00e7\u00e3o de Arquivos", &window_), Escape()},
         [&] { status = IupGetFile(name); });
  EXPECT_EQ(status, -1);
}

TEST_F(NativeDialogs, FileDialogClassStatusAndFileExist) {
  IupElement* dlg = IupCreateFileDlg();
  const std::string cwd = Cwd();
  struct Case {
    const char* what;
    const char* type;
    const char* allow_new;
    std::string answer;  // "" cancels
    const char* status;
    const char* exists;
  };
  const Case cases[] = {
      {"save as a new name", "SAVE", nullptr, dir_ + "/new.txt", "1", "NO"},
      {"open an existing file", "OPEN", nullptr, dir_ + "/exists.txt", "0", "YES"},
      {"cancel", "OPEN", nullptr, "", "-1", "(null)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IupSetAttribute(dlg, "DIALOGTYPE", c.type);
    IupSetAttribute(dlg, "ALLOWNEW", c.allow_new);
    IupSetAttribute(dlg, "TITLE", "Pick a file");
    IupSetAttribute(dlg, "NOCHANGEDIR", "YES");
    std::vector<Step> steps{WaitWindow("Pick a file", &window_)};
    steps.push_back(c.answer.empty() ? Escape() : Answer(c.answer));
    int popped = 9;
    During(steps, [&] { popped = IupPopup(dlg, IUP_CENTER, IUP_CENTER); });
    EXPECT_EQ(popped, 0);
    EXPECT_EQ(Text(dlg, "STATUS"), c.status);
    EXPECT_EQ(Text(dlg, "FILEEXIST"), c.exists);
    EXPECT_EQ(Text(dlg, "VALUE"), c.answer.empty() ? "(null)" : c.answer);
    EXPECT_EQ(Cwd(), cwd) << "NOCHANGEDIR keeps the working folder";
  }
  IupSetAttribute(dlg, "DIALOGTYPE", "DIR");
  EXPECT_EQ(IupPopup(dlg, IUP_CENTER, IUP_CENTER), 1) << "an unknown type shows nothing";
  IupDestroy(dlg);
}

TEST_F(NativeDialogs, OpenRefusesANewNameUnlessAllowed) {
  IupElement* dlg = IupCreateFileDlg();
  IupSetAttribute(dlg, "TITLE", "Open one");
  GtkWindow* message = nullptr;
  gtkprobe::Look told;
  bool still_up = false;
  Step read{"read the message", [&] { told = gtkprobe::LookAt(message); }, nullptr};
  Step ok{"confirm the message",
          [&] { EXPECT_TRUE(gtkprobe::ClickWidget(gtkprobe::FindButton(message, "OK"))); },
          [&] { return MessageShown() == nullptr; }};
  Step look{"still shown", [&] { still_up = gtkprobe::Toplevel("Open one") != nullptr; }, nullptr};
  auto told_off = [&] { return (message = MessageShown()) != nullptr; };
  During({WaitWindow("Open one", &window_), Answer(dir_ + "/missing.txt", told_off), read, ok, look,
          Escape()},
         [&] { IupPopup(dlg, IUP_CENTER, IUP_CENTER); });
  ASSERT_EQ(told.labels.size(), 1u);
  EXPECT_NE(told.labels[0].find("missing.txt\nFile not found."), std::string::npos)
      << told.labels[0];
  EXPECT_TRUE(still_up) << "a name that does not exist is not taken";
  EXPECT_EQ(Text(dlg, "STATUS"), "-1");
  IupDestroy(dlg);
}

TEST_F(NativeDialogs, OpenWithAllowNewAsksBeforeTakingANewName) {
  IupElement* dlg = IupCreateFileDlg();
  IupSetAttribute(dlg, "TITLE", "Open or create");
  IupSetAttribute(dlg, "ALLOWNEW", "YES");
  for (const char* reply : {"No", "Yes"}) {
    SCOPED_TRACE(reply);
    GtkWindow* question = nullptr;
    gtkprobe::Look asked_with;
    auto asked = [&] { return (question = MessageShown()) != nullptr; };
    Step read{"read the question", [&] { asked_with = gtkprobe::LookAt(question); }, nullptr};
    Step answer{"answer it",
                [&] { EXPECT_TRUE(gtkprobe::ClickWidget(gtkprobe::FindButton(question, reply))); },
                [&] { return MessageShown() == nullptr; }};
    std::vector<Step> steps{WaitWindow("Open or create", &window_),
                            Answer(dir_ + "/other.txt", asked), read, answer};
    const bool yes = std::strcmp(reply, "Yes") == 0;
    if (!yes) steps.push_back(Escape());  // the chooser is still up: give up
    During(steps, [&] { IupPopup(dlg, IUP_CENTER, IUP_CENTER); });
    ASSERT_EQ(asked_with.labels.size(), 1u);
    EXPECT_NE(asked_with.labels[0].find("other.txt\nThis file does not exist.\nCreate the file?"),
              std::string::npos)
        << asked_with.labels[0];
    EXPECT_EQ(Text(dlg, "STATUS"), yes ? "1" : "-1");
    EXPECT_EQ(Text(dlg, "FILEEXIST"), yes ? "NO" : "(null)");
  }
  IupDestroy(dlg);
}

TEST_F(NativeDialogs, SaveAsksBeforeReplacingAFile) {
  IupElement* dlg = IupCreateFileDlg();
  IupSetAttribute(dlg, "DIALOGTYPE", "SAVE");
  IupSetAttribute(dlg, "TITLE", "Save it");
  GtkWindow* question = nullptr;
  auto asked = [&] { return (question = MessageShown()) != nullptr; };
  Step replace{
      "replace",
      [&] { EXPECT_TRUE(gtkprobe::ClickWidget(gtkprobe::FindButton(question, "Replace"))); },
      nullptr};
  During({WaitWindow("Save it", &window_), Answer(dir_ + "/exists.txt", asked), replace},
         [&] { IupPopup(dlg, IUP_CENTER, IUP_CENTER); });
  EXPECT_EQ(Text(dlg, "STATUS"), "0");
  EXPECT_EQ(Text(dlg, "FILEEXIST"), "YES");
  EXPECT_EQ(Text(dlg, "VALUE"), dir_ + "/exists.txt");
  IupDestroy(dlg);
}

TEST_F(NativeDialogs, FiltersFolderAndTitleAsAsked) {
  IupElement* dlg = IupCreateFileDlg();
  struct Case {
    const char* what;
    const char* filter;
    const char* info;
    const char* ext;
    const char* shown;
    int filters;                // offered in all
    std::vector<bool> matches;  // a.txt, b.lua, c.png
  };
  const Case cases[] = {
      {"no filter", nullptr, nullptr, nullptr, "", 0, {}},
      {"one pattern, named by itself", "*.txt", nullptr, nullptr, "*.txt", 1, {true, false, false}},
      {"patterns with a name",
       "*.txt;*.lua",
       "Scripts and texts",
       nullptr,
       "Scripts and texts",
       1,
       {true, true, false}},
      {"EXTFILTER before FILTER, every pair offered",
       "*.txt",
       nullptr,
       "Pictures|*.png|Texts|*.txt;*.lua|",
       "Pictures",
       2,
       {false, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IupSetAttribute(dlg, "FILTER", c.filter);
    IupSetAttribute(dlg, "FILTERINFO", c.info);
    IupSetAttribute(dlg, "EXTFILTER", c.ext);
    IupSetAttribute(dlg, "TITLE", "Filtered");
    IupSetAttributeCopy(dlg, "DIRECTORY", dir_.c_str());
    Offer offer;
    During({WaitWindow("Filtered", &window_), Inspect(&offer), Escape()},
           [&] { IupPopup(dlg, IUP_CENTER, IUP_CENTER); });
    EXPECT_EQ(offer.action, GTK_FILE_CHOOSER_ACTION_OPEN);
    EXPECT_EQ(offer.folder, dir_) << "DIRECTORY";
    EXPECT_EQ(offer.filter, c.shown);
    EXPECT_EQ(offer.filters, c.filters);
    EXPECT_EQ(offer.matches, c.matches);
  }
  IupDestroy(dlg);
}

}  // namespace
