// SPDX-License-Identifier: GPL-3.0-or-later
// SkinFramework1: an invisible control that re-styles the main window from a
// skin file.  It is driven only through Invoke(dispatch id, call kind,
// arguments), so the window's start-up code does not depend on its inner
// workings.
//
// Dispatch ids:
//   1  property  Options: bit 1 also styles the window's own background.
//   2  method    LoadSkin(path, section): reads the skin file, a Qt style
//                sheet of at most 1 MiB of UTF-8 text.
//   3  method    ApplyWindow(handle): styles the top-level window whose
//                native handle's low 32 bits are `handle`.
//   5  property  ApplyToControls: style the window's controls.
//   10 property  ApplyToDialogs: style the program's dialogs too.
// A failure (unreadable, empty, binary or oversized file; a handle naming no
// window; an unknown id) is raised as a Failure.
#ifndef QUENMOOR_APP_SKIN_FRAMEWORK_H_
#define QUENMOOR_APP_SKIN_FRAMEWORK_H_

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace qm {

class SkinFramework : public QObject {
  Q_OBJECT

 public:
  enum CallKind { kMethod, kPropertyGet, kPropertyPut };

  explicit SkinFramework(QObject* parent = nullptr) : QObject(parent) {}

  QVariant Invoke(int dispatch_id, CallKind kind, const QVariantList& args = {});

 private:
  QString style_sheet_;
  qint32 options_ = 0;
  bool apply_to_controls_ = false;
  bool apply_to_dialogs_ = false;
};

}  // namespace qm

#endif  // QUENMOOR_APP_SKIN_FRAMEWORK_H_
