#pragma once
// The splash, the wait window and the about box filled as the program shows them part way
// through a connect, for the pictures and the layout check (test_app and test_layout).
#include <QLabel>
#include <QString>

#include "AboutBox.h"
#include "BrandProfile.h"
#include "FormAttesa.h"
#include "FormSplash.h"
#include "Language.h"
#include "PrivateMessage.h"

inline void FillSampleSplash(TFormSplash& w) {
  w.LabelConnessione->setText(Tr(96));
  SendPrivateMessage(&w, WM_PROGRESS, 35, ProgressSet);
}

inline void FillSampleWait(TFormAttesa& w) {
  w.setWindowTitle(Tr(65));
  w.Label1->setText(Tr(88));
  w.SetSuffix(QStringLiteral(" ") + Tr(73) + QStringLiteral(" "));
  SendPrivateMessage(&w, WM_PROGRESS, 40, ProgressSet);
}

inline void FillSampleAbout(TAboutBox& w) {
  w.setWindowTitle(QString::fromLatin1(GetBrandTitle()));
  w.ProductName->setText(QString::fromLatin1(GetBrandTitle()));
  w.Version->setText(Tr(64) + QStringLiteral(" 0.1.0.0"));
}
