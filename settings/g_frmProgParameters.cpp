#include "settings/g_frmProgParameters.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include "settings/FormControls.h"
#include "settings/OptionValues.h"

using namespace FormControls;

namespace {
struct Placeholder {
  const char* name;
  const char* description;
};
const Placeholder kCommandLine[] = {
    {"[PROG_NAME]", "The program name."},
    {"[PROG_VERSION]", "The version."},
    {"[FILE_RECORDED]", "The created file path and name."},
    {"[FILE_SIZE]", "The created file size."},
    {"[FILE_TIME_LENGTH]", "The created file time length."},
    {"[FILE_CREATED]", "The date and time of the file."},
};
const Placeholder kTags[] = {
    {"[PROG_NAME]", "The program name."},
    {"[PROG_VERSION]", "The version."},
    {"[DATE]", "The creation date of the file."},
    {"[TIME]", "The creation time of the file."},
    {"[TRACK_NUM]", "The item number."},
    {"[YEAR]", "The creation year of the file."},
    {"[SOURCE_NAME]", "The source file name."},
    {"[ITEM_NAME]", "The item name from the Items List."},
    {"[RANGE]", "The processed range."},
};
const Placeholder kFileNames[] = {
    {"[file_name]", "The file name."},
    {"[date]", "The current date."},
    {"[time]", "The current time."},
    {"[123]", "The track number."},
    {"[source_extension]", "The extension of the source file."},
    {"[dest_extension]", "The extension of the destination file."},
    {"[item_name]", "The item name from the Items List."},
};

template <size_t N>
QFrame* legendFrame(QWidget* parent, const Placeholder (&rows)[N]) {
  auto* frame = new QFrame(parent);
  Place(frame, 0, 0, 6135, 3855);
  for (size_t k = 0; k < N; ++k) {
    const int top = 480 + 360 * int(k);
    auto* name = new QLineEdit(rows[k].name, frame);
    name->setReadOnly(true);
    Place(name, 240, top, 1935, 285);
    Label(frame, "-", 2400, top + 45, 60, 195);
    Label(frame, rows[k].description, 2880, top + 45, 3135, 195);
  }
  frame->hide();
  return frame;
}
}  // namespace

g_frmProgParameters::g_frmProgParameters() {
  setObjectName("g_frmProgParameters");
  FixedDialog(this, "Parameters", 6720, 6195);

  picTitle = Panel(this, 0, 0, 6735, 495);
  lblTitle = Label(picTitle, "Parameters", 120, 90, 1140, 240);
  QFont title("Tahoma");
  title.setPointSizeF(9.75);
  title.setBold(true);
  lblTitle->setFont(title);
  lblTitle->adjustSize();
  SetControlForeColor(lblTitle, 0xFFFFFF);
  Label(this, "Sections:", 240, 720, 735, 255);
  cboSections = List(this, 240, 960, 6135, 315);
  fraAppNotic = legendFrame(this, kCommandLine);
  fraID3Tags = legendFrame(this, kTags);
  fraExt = legendFrame(this, kFileNames);
  for (const char* section : {"Execute external application", "ID3 Audio Tags", "File Name Format"})
    AddItem(cboSections, section);
  cmdOk = Button(this, "OK", 240, 5520, 1575, 375, true);
  cmdOk->setDefault(true);
  VSeparator(this, 1920, 5520, 5880);

  connect(cboSections, &QComboBox::currentIndexChanged, this, &g_frmProgParameters::cboSections_Click);
  connect(cmdOk, &QPushButton::clicked, this, &g_frmProgParameters::cmdOk_Click);
}

void g_frmProgParameters::ShowAtSection(int section, QWidget* owner) {
  g_frmProgParameters& legend = form<g_frmProgParameters>();
  legend.cboSections->setCurrentIndex(section);
  legend.ShowModal(owner);
}

void g_frmProgParameters::Form_Load() {
  SetControlBackColor(picTitle, g_lTitleBackColor);
  SetControlForeColor(lblTitle, g_lTitleForeColor);
  const long back = FormBackColor();
  SetControlBackColor(this, back);
  for (QFrame* frame : {fraAppNotic, fraID3Tags, fraExt}) {
    SetControlBackColor(frame, back);
    frame->move(cboSections->x(), cboSections->y() + cboSections->height() + px(50));
  }
}

void g_frmProgParameters::cboSections_Click() {
  QFrame* const frames[] = {fraAppNotic, fraID3Tags, fraExt};
  for (QFrame* frame : frames) frame->hide();
  const int position = cboSections->currentIndex();
  if (position >= 0 && position < 3) frames[position]->show();
}

void g_frmProgParameters::cmdOk_Click() { Unload(); }
