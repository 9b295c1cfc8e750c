// TFormConfig: the form's texts and their translation.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "Config.h"
#include "FileDialog.h"
#include "FunctionKeyTabStrip.h"
#include "Language.h"
#include "Modmappa.h"
#include "RoadMapping.h"

namespace {

// Design texts of the form by text id: what the form shows while the language library supplies
// nothing else.
struct DesignText {
  int id;
  const char* text;
};
const DesignText kDesignTexts[] = {
    {110, "Configurazione veicolo"},
    {117, "Correggi Mappa"},
    {125, "&Configurazione"},
    {126, "&Acquisizioni"},
    {127, "&Funzioni di test"},
    {131, "&Comincia"},
    {132, "&Termina"},
    {133, "&Visualizza grafico"},
    {134, "&Esci"},
    {144, "V"},
    {145, "\u00B0C"},
    {146, "s"},
    {147, "bar"},
    {148, "rpm"},
    {149, "ms"},
    {151, "n.d."},
    {293, "BENZINA"},
    {294, "GAS"},
    {296, "Salva acquisizione con nome..."},
    {297, "Acquisizioni in tempo reale"},
    {298, "Apri file dati in tempo reale"},
    {300, "Il file esistente non pu\u00F2 essere sovrascritto."},
    {432, "Procedendo i dati acquisiti verranno persi. Continuare ? "},
    {454, "Diagnosi &Programma"},
    {455, "&Sblocca limiti"},
    {456, "&Visualizza correttore assoluto"},
    {457, "Visuali&zza arricchimento assoluto"},
    {458, "Visualizza pressione differenziale"},
};

// Text id of each page caption; the pressure page keeps its design caption in every language.
const int kPageTextIds[kConfigPageCount] = {111, 112, 113, 114, 116, 115, 117, 118,
                                            119, 120, 121, 122, 123, 123, -1,  528};

// The member and message texts the form and its pages read through Text().
const int kMemberTextIds[] = {129, 130, 144, 145, 146, 147, 148, 149, 151, 196, 247, 248, 249, 293, 294, 296,
                              297, 298, 299, 300, 303, 304, 305, 306, 308, 309, 310, 311, 312, 432, 433, 500};

}  // namespace

void TFormConfig::TranslateConfigForm() {
  TranslateCaption(this, 110);
  for (int page = 0; page < kConfigPageCount; ++page) {
    QString caption;
    if (kPageTextIds[page] >= 0 && ReadText(kPageTextIds[page], &caption)) tabs_->SetCaption(page, caption);
  }
  const struct {
    QObject* control;
    int id;
  } captions[] = {
      {MenuConfigurazione, 125},
      {MenuEsci, 134},
      {MenuAcquisizioni, 126},
      {MenuCominciaDrt, 131},
      {MenuTerminaDrt, 132},
      {MenuGrafico, 133},
      {MenuTest, 127},
      {MenuDiagnosiProg, 454},
      {MenuSbloccaLimiti, 455},
      {MenuCorrAssoluto, 456},
      {MenuArrAssoluto, 457},
      {MenuPressDiff, 458},
      {MenuComunicazioneSerialeCostruita, 595},
  };
  for (const auto& c : captions) TranslateCaption(c.control, c.id);
  for (const PanelLabel& l : panelCaptions_) TranslateCaption(l.caption, l.textId);

  // Member texts: a text the library lacks leaves the one held so far.
  for (int id : kMemberTextIds) {
    QString text;
    if (ReadText(id, &text)) texts_[id] = text;
  }
  // The overwrite message is text 300 followed by text 301 when the language has one.
  QString more;
  if (ReadText(301, &more)) texts_[300] = Text(300) + QLatin1Char('\n') + more;

  TLivePanelTexts units;
  units.volt = Text(144);
  units.celsius = Text(145);
  units.bar = Text(147);
  units.rpm = Text(148);
  units.notAvailable = Text(151);
  units.petrol = Text(293);
  units.gas = Text(294);
  live_.SetTexts(units);

  SaveDialogDrt->Title = Text(296);
  SaveDialogDrt->Filter = Text(297) + QStringLiteral("|*.txt");
  OpenDialogDrt->Title = Text(298);
  QString chart;
  if (ReadText(589, &chart)) OpenDialogDrt->Filter = chart + QStringLiteral("|*.txt");

  // The cell-change dialog the grids share.
  TranslateCaption(formModMappa_, 314);
  TranslateCaption(formModMappa_->GroupModalita, 315);
  for (int i = 0; i < 3; ++i) TranslateCaption(formModMappa_->ModeItems[i], 316 + i);
  TranslateCaption(formModMappa_->ButtonOK, 103);
  TranslateCaption(formModMappa_->ButtonAnnulla, 104);

  roadMapping_->Translate();
  for (TConfigPage* page : pages_) page->Translate();
}

QString TFormConfig::Text(int id) const {
  const auto it = texts_.find(id);
  if (it != texts_.end()) return it->second;
  for (const DesignText& t : kDesignTexts)
    if (t.id == id) return QString::fromUtf8(t.text);
  return QString();
}

QString TFormConfig::Text(int id, const QString& fallback) const {
  const QString text = Text(id);
  return text.isEmpty() ? fallback : text;
}
