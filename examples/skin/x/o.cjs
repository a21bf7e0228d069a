/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Quenmoor example skin: light grey with blue accents.
   The skin file is a Qt style sheet applied to the main window. */

QWidget {
  background-color: #eef0f3;
  color: #1f2a36;
}

QPushButton {
  background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fbfcfd, stop: 1 #dde3ea);
  border: 1px solid #9aa8b8;
  border-radius: 3px;
  padding: 2px 6px;
  color: #1f2a36;
}
QPushButton:hover {
  background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #d3e2f4);
  border-color: #3a6ea5;
}
QPushButton:pressed {
  background-color: #c4d6ec;
  border-color: #2c5786;
}
QPushButton:focus {
  border-color: #3a6ea5;
}
QPushButton:disabled {
  color: #8b96a3;
  background-color: #e6e9ed;
}

QGroupBox {
  border: 1px solid #b6c1cd;
  border-radius: 4px;
  margin-top: 8px;
  padding-top: 4px;
}
QGroupBox::title {
  subcontrol-origin: margin;
  left: 8px;
  padding: 0 3px;
  color: #2c5786;
}

QRadioButton, QLabel {
  background-color: transparent;
  color: #1f2a36;
}
QRadioButton::indicator {
  width: 10px;
  height: 10px;
  border: 1px solid #7d8d9f;
  border-radius: 6px;
  background-color: #ffffff;
}
QRadioButton::indicator:hover {
  border-color: #3a6ea5;
}
QRadioButton::indicator:checked {
  background-color: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5,
                                    stop: 0 #3a6ea5, stop: 0.55 #3a6ea5, stop: 0.65 #ffffff);
  border-color: #3a6ea5;
}

QLineEdit {
  background-color: #ffffff;
  border: 1px solid #9aa8b8;
  border-radius: 2px;
  padding: 1px 3px;
  selection-background-color: #3a6ea5;
  selection-color: #ffffff;
}
QLineEdit:focus {
  border-color: #3a6ea5;
}
QLineEdit:disabled {
  background-color: #e6e9ed;
  color: #8b96a3;
}

/* The date pickers keep the platform's frame and arrows; only colours. */
QDateTimeEdit {
  background-color: #ffffff;
  selection-background-color: #3a6ea5;
  selection-color: #ffffff;
}

QTreeView {
  background-color: #ffffff;
  alternate-background-color: #f4f7fa;
  border: 1px solid #9aa8b8;
  selection-background-color: #3a6ea5;
  selection-color: #ffffff;
}
QTreeView::item:hover {
  background-color: #e3ecf7;
}

QHeaderView::section {
  background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f7f9fb, stop: 1 #dfe5ec);
  color: #1f2a36;
  border: none;
  border-right: 1px solid #b6c1cd;
  border-bottom: 1px solid #9aa8b8;
  padding: 2px 4px;
}
