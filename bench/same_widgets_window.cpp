// The start-up reference: a plain Qt Widgets program that shows a window with the same widgets as
// Vantrel's main window, of the same Qt classes, in the same places and sizes: the menu bar with
// its menus, three group boxes, two drive combo boxes, two folder lists, three file lists, eight
// push buttons and five labels, two of them bold and coloured. The lists hold a few fixed rows
// instead of a folder read from the disk, so what Vantrel costs beyond this window is its own
// work: its tables, its services, reading the folder. Its folder and drive icons are drawn here,
// not asked of the style, so it searches no icon theme: whatever Vantrel's icons cost before its
// window shows counts against it. Built with the same flags as Vantrel.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStringListModel>

namespace {

// The sizes below are Vantrel's, in twips; at 96 dots per inch a pixel is 15 twips.
QRect Pixels(int left, int top, int width, int height) {
  const auto pixels = [](int twips) { return (twips + 7) / 15; };
  return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

QGroupBox* AddGroup(QWidget* parent, const QString& title, QRect where) {
  auto* group = new QGroupBox(title, parent);
  group->setGeometry(where);
  return group;
}

// A small icon drawn in one colour, standing in for a folder or drive icon.
QIcon Glyph(const QColor& colour) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.fillRect(1, 3, 14, 11, colour);
  return QIcon(pixmap);
}

QComboBox* AddDrives(QWidget* parent, QRect where) {
  auto* combo = new QComboBox(parent);
  const QIcon icon = Glyph(Qt::gray);
  for (const char* drive : {"/", "/home", "/media/usb"}) combo->addItem(icon, drive);
  combo->setGeometry(where);
  return combo;
}

// The open folder with its ancestors above it and its subfolders below, each with its icon.
QListView* AddFolders(QWidget* parent, QRect where) {
  auto* view = new QListView(parent);
  auto* model = new QStandardItemModel(view);
  const QIcon open = Glyph(Qt::darkYellow);
  const QIcon closed = Glyph(Qt::yellow);
  for (const char* folder : {"/", "var", "tmp"}) model->appendRow(new QStandardItem(open, folder));
  for (const char* folder : {"docs", "music", "pictures"})
    model->appendRow(new QStandardItem(closed, folder));
  view->setModel(model);
  view->setGeometry(where);
  return view;
}

QListView* AddFiles(QWidget* parent, QRect where, const QStringList& names) {
  auto* view = new QListView(parent);
  view->setModel(new QStringListModel(names, view));
  view->setGeometry(where);
  return view;
}

QLabel* AddLabel(QWidget* parent, QRect where, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(where);
  return label;
}

void MakeBoldIn(QLabel* label, const QColor& colour) {
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

QPushButton* AddButton(QWidget* parent, const QString& caption, QRect where,
                       const QString& tooltip) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(where);
  button->setToolTip(tooltip);
  return button;
}

void AddMenus(QMainWindow& window) {
  QMenuBar* bar = window.menuBar();
  bar->setNativeMenuBar(false);
  bar->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("&Exit"));
  QMenu* run = bar->addMenu(QStringLiteral("Run"));
  for (const char* item : {"&Calculator", "&Paintbrush", "&CD Player", "&Notepad"})
    run->addAction(item);
  bar->addAction(QStringLiteral("About"));
}

void AddSourcePane(QWidget* client) {
  QGroupBox* source = AddGroup(client, QStringLiteral("Source"), Pixels(0, 120, 3255, 6495));
  AddDrives(source, Pixels(120, 240, 2055, 315));
  AddFolders(source, Pixels(120, 600, 2895, 2115));
  AddLabel(source, Pixels(120, 2760, 2895, 375), QStringLiteral("Folder Name: /var/tmp"));
  AddFiles(source, Pixels(120, 3120, 2895, 2235),
           {QStringLiteral("letter.txt"), QStringLiteral("notes.md"), QStringLiteral("photo.jpg"),
            QStringLiteral("report.pdf"), QStringLiteral("setup.exe")});
  MakeBoldIn(AddLabel(source, Pixels(120, 5520, 2895, 495), QStringLiteral("Filename:")), Qt::red);
  AddLabel(source, Pixels(120, 6000, 2895, 375), QStringLiteral("Filesize:  Bytes"));
}

void AddDestinationPane(QWidget* client) {
  QGroupBox* destination =
      AddGroup(client, QStringLiteral("Destination"), Pixels(4560, 120, 3255, 4455));
  AddDrives(destination, Pixels(120, 240, 2175, 315));
  AddFolders(destination, Pixels(120, 600, 3015, 2115));
  AddLabel(destination, Pixels(120, 2760, 2895, 375), QStringLiteral("Folder Name: /var/tmp"));
  AddFiles(
      destination, Pixels(120, 3120, 3015, 1260),
      {QStringLiteral("archive.zip"), QStringLiteral("budget.ods"), QStringLiteral("readme.txt")});
}

void AddRunPane(QWidget* client) {
  QGroupBox* run = AddGroup(client, QStringLiteral("Run File"), Pixels(3480, 4560, 4215, 2175));
  MakeBoldIn(AddLabel(run, Pixels(120, 1680, 2415, 375), QStringLiteral("setup.exe")),
             QColor(0, 0, 192));
  AddFiles(
      client, Pixels(3600, 4800, 2415, 1260),
      {QStringLiteral("install.exe"), QStringLiteral("setup.exe"), QStringLiteral("tool.exe")});
}

void AddButtons(QWidget* client) {
  AddButton(client, QStringLiteral("&New Folder.."), Pixels(3360, 240, 1215, 375),
            QStringLiteral("Make new folder in the selected folder"));
  AddButton(client, QStringLiteral("Delete.."), Pixels(3360, 765, 1215, 375),
            QStringLiteral("Delete the file"));
  AddButton(client, QStringLiteral("Clear Clipboard"), Pixels(3360, 1320, 1215, 375),
            QStringLiteral("Clear the clipboard"));
  AddButton(client, QStringLiteral("&Move File.."), Pixels(3360, 1875, 1215, 375),
            QStringLiteral("Move file from source folder to destination folder"));
  AddButton(client, QStringLiteral("&Copy +Paste"), Pixels(3360, 2445, 1215, 375),
            QStringLiteral("Copy file from source folder to destination folder"));
  AddButton(client, QStringLiteral("&Exit"), Pixels(3360, 3000, 1215, 375), QStringLiteral("End"));
  AddButton(client, QStringLiteral("Run Winprogram..."), Pixels(6360, 4800, 1215, 495),
            QStringLiteral("Run special windows program"));
  AddButton(client, QStringLiteral("Run"), Pixels(6360, 6120, 1215, 495),
            QStringLiteral("Run the selected program"));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Same widgets"));
  AddMenus(window);
  auto* client = new QWidget(&window);
  window.setCentralWidget(client);
  AddSourcePane(client);
  AddDestinationPane(client);
  AddRunPane(client);
  AddButtons(client);
  // The client area at Vantrel's size, below the menu bar.
  const QRect area = Pixels(0, 0, 7830, 6795);
  window.resize(area.width(), area.height() + window.menuBar()->sizeHint().height());
  window.show();
  return QApplication::exec();
}
