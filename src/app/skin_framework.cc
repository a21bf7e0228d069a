// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/skin_framework.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include "platform/failure.h"
#include "platform/whole_file.h"

namespace qm {
namespace {
const std::size_t kMaxSkinBytes = 1024 * 1024;

// Words shown to the user, in their language.
std::string Said(const char* text) { return Translated("qm::Skin", text); }

QString ReadSkin(const QString& path) {
  static const WholeFileWords words = {
      "qm::Skin",
      QT_TRANSLATE_NOOP("qm::Skin", "The skin file %1 is %2, not a file"),
      QT_TRANSLATE_NOOP("qm::Skin", "The skin file %1 is too large (%2)"),
      QT_TRANSLATE_NOOP("qm::Skin", "The skin file %1 cannot be read: %2"),
  };
  std::string read;
  if (!ReadWholeFile(path.toStdString(), kMaxSkinBytes, words, &read)) {
    throw Failure(kErrFileNotFound);
  }
  const QByteArray bytes = QByteArray::fromStdString(read);
  if (bytes.trimmed().isEmpty()) {
    throw Failure(kErrPathFileAccess,
                  Said(QT_TRANSLATE_NOOP("qm::Skin", "The skin file is empty")));
  }
  QString text = QString::fromUtf8(bytes);
  if (bytes.contains('\0') || text.toUtf8() != bytes) {
    throw Failure(kErrPathFileAccess,
                  Said(QT_TRANSLATE_NOOP("qm::Skin", "The skin file is not a text style sheet")));
  }
  return text;
}
}  // namespace

QVariant SkinFramework::Invoke(int dispatch_id, CallKind kind, const QVariantList& args) {
  switch (dispatch_id) {
    case 1:
      if (kind == kPropertyGet) return options_;
      if (kind == kPropertyPut && !args.isEmpty()) {
        options_ = args[0].toInt();
        return QVariant();
      }
      break;
    case 2:
      if (kind == kMethod && !args.isEmpty()) {
        style_sheet_ = ReadSkin(args[0].toString());
        return true;
      }
      break;
    case 3:
      if (kind == kMethod && !args.isEmpty()) {
        if (style_sheet_.isEmpty()) {
          throw Failure(kErrInvalidCall, Said(QT_TRANSLATE_NOOP("qm::Skin", "No skin is loaded")));
        }
        const quint32 handle = args[0].toUInt();
        for (QWidget* top : QApplication::topLevelWidgets()) {
          if (static_cast<quint32>(top->winId()) != handle) continue;
          QString sheet = style_sheet_;
          if (!(options_ & 1)) {
            // Without option bit 1 the window keeps its own background.
            sheet +=
                QStringLiteral("\n#%1 { background: palette(window); }").arg(top->objectName());
          }
          if (apply_to_controls_) top->setStyleSheet(sheet);
          if (apply_to_dialogs_) qApp->setStyleSheet(style_sheet_);
          return true;
        }
        throw Failure(kErrInvalidCall,
                      Said(QT_TRANSLATE_NOOP("qm::Skin", "The skin names no window")));
      }
      break;
    case 5:
      if (kind == kPropertyPut && !args.isEmpty()) {
        apply_to_controls_ = args[0].toBool();
        return QVariant();
      }
      if (kind == kPropertyGet) return apply_to_controls_;
      break;
    case 10:
      if (kind == kPropertyPut && !args.isEmpty()) {
        apply_to_dialogs_ = args[0].toBool();
        return QVariant();
      }
      if (kind == kPropertyGet) return apply_to_dialogs_;
      break;
  }
  throw Failure(kErrInvalidCall,
                Said(QT_TRANSLATE_NOOP("qm::Skin", "The skin control has no such member")));
}

}  // namespace qm
