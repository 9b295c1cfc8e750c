// TFormConfig: the value codes of the pages' entry fields and the handlers every bound field
// shares: Enter in a numeric field, Enter in an option list, the limit hint.
#include <QAbstractButton>
#include <QLabel>
#include <QSignalBlocker>
#include <QVariant>
#include <algorithm>
#include <vector>

#include "Config.h"
#include "DecimalText.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "LimitHintPlace.h"
#include "NumericEdit.h"
#include "ScreenScale.h"

namespace {

// A field bound to a value code; for numeric fields also its limits and step.
struct Binding {
  const char* name;
  int code;
  double minValue;
  double maxValue;
  double precision;
};

// Option lists and check boxes carry only the code (limits 0).
const Binding kBindings[] = {
    // TabLambda
    {"ComboTipoLambda", 0x4, 0, 0, 0},
    {"EditRifLambda", 0x5, 0, 5, 0.02},
    {"EditRitardoLbd", 0x6, 0, 255, 1},
    {"EditSondaFredda", 0x7, 0, 255, 1},
    {"EditRifSupFredda", 0x8, 0, 5, 0.02},
    {"EditRifInfFredda", 0x9, 0, 5, 0.02},
    {"EditRifSupCalda", 0xA, 0, 5, 0.02},
    {"EditRifInfCalda", 0xB, 0, 5, 0.02},
    // TabCambio
    {"EditTempCambio", 0xF, 5, 40, 1},
    {"EditGiriCambio", 0x210, 0, 3000, 50},
    {"EditRitMin", 0x11, 0, 250, 1},
    {"EditFuoriGiri", 0x213, 4500, 7500, 50},
    {"ComboAccensione", 0x14, 0, 0, 0},
    {"EditTempoCicchetto", 0x26D, 0, 5, 0.02},
    {"EditFasciaMin", 0x215, 0, 2000, 50},
    {"EditProva", 0x12, 0, 255, 1},
    // TabTps
    {"ComboTps", 0x300001A, 0, 0, 0},
    {"ComboTpsSwitch", 0x230001A, 0, 0, 0},
    {"CheckDriveByWire1", 0x150001A, 0, 0, 0},
    {"CheckTpsBloc", 0x170001A, 0, 0, 0},
    {"EditIstTps", 0x1B, 0, 5, 0.02},
    {"EditTpsMoltoFMin", 0x3F, 0, 5, 0.02},
    {"EditCoefficienteUscitaMinimo", 0x64, 1, 100, 1},
    {"EditTempoCoefficienteUscitaMinimo", 0x65, 0, 255, 1},
    {"EditTempoPer100", 0x66, 0, 500, 1},
    // TabCutoff
    {"EditCfTot", 0x216, 1200, 6000, 50},
    {"EditChiusuraCutoff", 0x59, 0.02, 10, 0.02},
    {"EditAperturaCutoff", 0x5A, 0.02, 10, 0.02},
    {"EditCorrInRilascio", 0x66C, -200, 200, 1},
    // TabEmulazione
    {"EditTempoAlto", 0x20, 0, 5, 0.02},
    {"EditTempoBasso", 0x21, 0, 5, 0.02},
    {"EditTempoTri", 0x222, 0, 1300, 0.02},
    {"EditOnde", 0x23, 1, 250, 1},
    {"EditLivEmulAlto", 0x47, 0, 4.9, 0.02},
    {"EditLivEmulBasso", 0x48, 0, 4.9, 0.02},
    // TabSensore
    {"EditRitornoBenzina", 0x3E, 0, 20, 1},
    {"EditLivelloAlcol", 0x70, 0, 255, 1},
    // TabVarie
    {"EditMaxErrInteg", 0x626, 0, 200, 1},
    {"EditMinErrInteg", 0x627, 0, 200, 1},
    {"EditMaxErrIntegMin", 0x628, 0, 200, 1},
    {"EditMinErrIntegMin", 0x629, 0, 200, 1},
    {"EditRientroMinimo", 0x449, -10, 10, 1},
    {"EditTpsSbana", 0x2C, 0, 5, 0.02},
    {"EditGiriSbana", 0x22D, 200, 10000, 50},
    // TabArricchimento
    {"EditCumuloArricc", 0x33, 0, 10, 1},
    {"EditIniezioni", 0x56, 0, 255, 1},
    // TabIniezione
    {"EditTpsArrBenzina", 0x38, 0.4, 10, 0.04},
    {"EditDutyCorrente", 0x7F, 0, 100, 0.04},
    {"EditGiriArrBenzina", 0x24A, 0.5, 8, 0.02},
    {"EditCil", 0x3000034, 1, 8, 1},
    {"EditCilRif", 0x3300034, 1, 8, 1},
    // TabAdatta
    {"EditCorrezioneFuoriMinimo", 0x671, -255, 255, 1},
    {"EditCorrezioneAlMinimo", 0x672, -255, 255, 1},
    {"EditMassimoValoreCorrezione", 0x73, 0, 255, 1},
    {"EditTempoTraCorrezioni", 0x74, 0, 5, 0.02},
    {"EditRigheZonaApprendimento", 0x75, 0, 15, 1},
    {"EditColonneZonaApprendimento", 0x75, 0, 15, 1},
    {"EditMinimoValoreCorrettore", 0x76, 0, 255, 1},
    {"EditTempoPerCorrezione", 0x277, 0, 12, 0.01},
};

constexpr int kCodeCylinders = 0x3000034;
constexpr int kCodeReferenceCylinder = 0x3300034;
constexpr int kCodeTempoPer100 = 0x66;

TConfigPage* PageOf(QWidget* w) {
  for (QWidget* p = w; p; p = p->parentWidget())
    if (auto* page = qobject_cast<TConfigPage*>(p)) return page;
  return nullptr;
}

}  // namespace

void TFormConfig::BindFields() {
  for (const Binding& b : kBindings) {
    QWidget* w = Field(b.name);
    if (auto* edit = qobject_cast<TNumericEdit*>(w)) {
      edit->SetDataCode(b.code);
      // Upper limit first: each limit is taken only while MinValue <= MaxValue holds.
      edit->SetMaxValue(b.maxValue);
      edit->SetMinValue(b.minValue);
      edit->SetPrecision(b.precision);
      // A field with its own Enter handler (dynamic property "sharedEnter" false) keeps only
      // its code, limits and precision.
      const QVariant shared = edit->property("sharedEnter");
      if (shared.isValid() && !shared.toBool()) continue;
      connect(edit, &TNumericEdit::enterPressed, this, [this, edit] { EditRifLambdaKeyPress(edit); });
    } else if (auto* combo = qobject_cast<TKeyComboBox*>(w)) {
      combo->SetDataCode(b.code);
      connect(combo, &TKeyComboBox::enterPressed, this, [this, combo] { ComboTipoLambdaKeyPress(combo); });
    } else if (auto* check = qobject_cast<QAbstractButton*>(w)) {
      check->setProperty("Tag", b.code);
    }
  }
}

void TFormConfig::AttachLimitHints(QWidget* page) {
  for (TNumericEdit* edit : page->findChildren<TNumericEdit*>()) {
    const QVariant hint = edit->property("limitHint");
    if (hint.isValid() && !hint.toBool()) continue;
    connect(edit, &TNumericEdit::entered, this, [this, edit] { EditFuoriGiriEnter(edit); });
    connect(edit, &TNumericEdit::exited, this, [this, edit] { EditFuoriGiriExit(edit); });
  }
}

void TFormConfig::EditRifLambdaKeyPress(TNumericEdit* sender) {
  if (!sender || !EcuData) return;
  const int code = sender->DataCode();
  if (code >= 0) {
    // The read-back always follows the write: a refused or corrected value shows at once what
    // the data set holds.
    const int index = sender->DataIndex();
    if (index >= 0) {
      EcuData->SetVectorValue(code, index, sender->GetDouble());
      sender->SetDouble(EcuData->GetVectorValue(code, index));
    } else {
      EcuData->SetValue(code, sender->GetDouble());
      sender->SetDouble(EcuData->GetValue(code));
    }
  }
  const QString name = sender->objectName();
  auto* tempoPer100 = findChild<TNumericEdit*>(QStringLiteral("EditTempoPer100"));
  if (name == QLatin1String("EditCoefficienteUscitaMinimo") && tempoPer100) {
    // The ECU derives the time to 100 % from the coefficient: write it again.
    EcuData->SetValue(kCodeTempoPer100, tempoPer100->GetDouble());
    tempoPer100->SetDouble(TLivePanel::RoundEven(EcuData->GetValue(kCodeTempoPer100)));
  } else if (name == QLatin1String("EditTempoPer100")) {
    sender->SetDouble(TLivePanel::RoundEven(EcuData->GetValue(kCodeTempoPer100)));
  }
  if (TConfigPage* page = PageOf(sender)) page->AfterSharedEnter(sender);
}

void TFormConfig::ComboTipoLambdaKeyPress(TKeyComboBox* sender) {
  if (!sender || !EcuData || sender->DroppedDown()) return;
  const int code = sender->DataCode();
  const int index = sender->currentIndex();
  // An empty list has no item to write.
  if (code < 0 || index < 0) return;
  EcuData->SetValue(code, index);
  const QString name = sender->objectName();
  if (name == QLatin1String("ComboAccensione")) {
    // The cylinder count follows the ignition kind; "Monobobina" leaves it.
    static const int kCylinderCount[] = {3, 4, 5, 6, 8, 2};
    if (index < 6) EcuData->SetValue(kCodeCylinders, kCylinderCount[index]);
    EcuData->SetValue(kCodeReferenceCylinder, 1);
  } else if (name == QLatin1String("ComboTipoLambda")) {
    MarkLambdaPresetFields();
  }
  {
    // Show what the data set holds after the write (a refused write shows the held value).
    const QSignalBlocker block(sender);
    sender->setCurrentIndex(TLivePanel::RoundEven(EcuData->GetValue(code)));
  }
  if (TConfigPage* page = PageOf(sender)) page->AfterSharedEnter(sender);
}

void TFormConfig::EditFuoriGiriEnter(TNumericEdit* sender) {
  if (!sender || sender->isReadOnly()) return;
  QWidget* parent = sender->parentWidget();
  if (!parent) return;
  const char sep = DecimalText::UserDecimalSeparator();
  const auto text = [sep](double v) { return QString::fromStdString(DecimalText::Format(v, sep)); };
  LabelLimite->hide();
  LabelLimite->setText(QLatin1Char('(') + text(sender->MinValue()) + QLatin1Char(';') +
                       text(sender->MaxValue()) + QLatin1Char(')'));
  LabelLimite->adjustSize();
  // The field's parent first, then its containers up to the page: the hint goes to the first
  // that has room for it beside or below the field without covering anything.
  const TConfigPage* page = PageOf(sender);
  const int gap = ScaleToScreen(4, screenWidth_);
  for (QWidget* host = parent; host; host = host->parentWidget()) {
    std::vector<QRect> taken;
    for (QObject* o : host->children()) {
      const auto* w = qobject_cast<QWidget*>(o);
      if (w && w != LabelLimite && !w->isWindow() && w->isVisible() &&
          !w->objectName().startsWith(QLatin1String("qt_")))
        taken.push_back(w->geometry());
    }
    const QRect field(sender->mapTo(host, QPoint(0, 0)), sender->size());
    if (const auto place =
            PlaceLimitHint(field, LabelLimite->size(), limitHintOffset_, host->rect(), taken, gap)) {
      LabelLimite->setParent(host);
      LabelLimite->move(place->topLeft());
      LabelLimite->show();
      LabelLimite->raise();
      return;
    }
    if (host == page) break;
  }
  // No room anywhere: the design place, kept inside the field's parent.
  const QRect r = sender->geometry();
  LabelLimite->setParent(parent);
  LabelLimite->move(
      std::clamp(r.left() + limitHintOffset_, 0, std::max(0, parent->width() - LabelLimite->width())),
      r.top() + (r.height() - LabelLimite->height()) / 2);
  LabelLimite->show();
  LabelLimite->raise();
}

void TFormConfig::EditFuoriGiriExit(TNumericEdit* sender) {
  (void)sender;
  LabelLimite->hide();
}
