// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt generic plugin for testing an installed or packaged program from
// outside: loaded into the unchanged program with
//
//   QT_PLUGIN_PATH=BUILD/test_plugins QT_QPA_GENERIC_PLUGINS=quenmoorstartprobe
//
// it waits until the main window is shown, picks "Date Modified" and
// "Before this date" (today, on a first run), clicks "Load Sample/Example
// Folder" and "Start Finding Unused Files", and prints what the window then
// shows before ending the program:
//
//   folder<TAB>the folder list's first row
//   found<TAB>path<TAB>date      (one line per result row)
//
// A modal message on the way (an error report, say) would block the clicks;
// after 30 seconds the probe gives up and ends the program with status 3.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QGenericPlugin>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

QWidget* ShownMainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String("Form1") && w->isVisible()) return w;
  }
  return nullptr;
}

void Print(const QString& line) {
  std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
  std::fflush(stdout);
}

void Probe() {
  QWidget* form = ShownMainWindow();
  if (!form) {
    QTimer::singleShot(50, Probe);
    return;
  }
  for (const char* name : {"Option1", "Option5", "PushButton8", "PushButton2"}) {
    auto* button = form->findChild<QAbstractButton*>(QLatin1String(name));
    if (!button) {
      Print(QStringLiteral("missing\t") + QLatin1String(name));
      std::_Exit(4);
    }
    button->click();  // the search runs inside this click
  }
  const QAbstractItemModel* folders =
      form->findChild<QAbstractItemView*>(QStringLiteral("ListView1"))->model();
  Print(QStringLiteral("folder\t") + folders->index(0, 0).data().toString());
  const QAbstractItemModel* results =
      form->findChild<QAbstractItemView*>(QStringLiteral("ListView2"))->model();
  for (int row = 0; row < results->rowCount(); ++row) {
    Print(QStringLiteral("found\t") + results->index(row, 0).data().toString() +
          QLatin1Char('\t') + results->index(row, 1).data().toString());
  }
  QCoreApplication::quit();
}

class StartProbe : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "start_probe.json")

 public:
  QObject* create(const QString& key, const QString&) override {
    if (key.compare(QLatin1String("quenmoorstartprobe"), Qt::CaseInsensitive) != 0) {
      return nullptr;
    }
    auto* probe = new QObject;
    QTimer::singleShot(0, probe, Probe);
    QTimer::singleShot(30000, probe, [] {
      Print(QStringLiteral("gave up: the window never got through the clicks"));
      std::_Exit(3);
    });
    return probe;
  }
};

}  // namespace

#include "start_probe.moc"
