// What a screen reader says of the controls whose own text does not say what
// they are: lists, fields, grids, unlabelled boxes, the "+" and "-" buttons.
// The cells of the remotes map describe their remote (RemoteHint).
#include <QWidget>

#include "Unit1.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

struct AccessibleName {
    const char* control;
    const char* name;
    const char* description;
};

// clang-format off
constexpr AccessibleName kNames[] = {
    {"ComboBox1", "Port", "Port szeregowy, do którego podłączono TAV-1000R"},
    {"Button5", "Następna strona podglądu pamięci", ""},
    {"Button9", "Poprzednia strona podglądu pamięci", ""},
    {"PageControl1", "Strony", ""},
    {"StringGrid2", "Mapa pilotów", "1000 miejsc: # pilot zapisany, _ wolne miejsce; strzałki wybierają pilota, Enter przechodzi do nazwy"},
    {"Edit4", "Nazwa pilota", ""},
    {"ComboBox16", "Scenariusz pilota", ""},
    {"ComboBox2", "Scenariusz", ""},
    {"StringGrid1", "Scenariusz: przyciski i przekaźniki", "Wiersze: przyciski 1–14, kolumny: przekaźniki 1–4"},
    {"ComboBox3", "Tryb działania przekaźnika", ""},
    {"ComboBox4", "Timer", ""},
    {"ComboBox5", "Opóźnienie", ""},
    {"StringGrid3", "Timery i opóźnienia", "Wiersze: timery 0–3 i opóźnienia 0–3, kolumny: godziny, minuty, sekundy, dziesiąte"},
    {"ComboBox15", "Na wyświetlaczu w stanie czuwania", ""},
    {"Edit1", "Napis użytkownika", ""},
    {"MaskEdit1", "NADAJNIK 1001: data i godzina", "Wzorzec 20RR-MM-DD gg:mm:ss, * - dowolna wartość"},
    {"MaskEdit2", "NADAJNIK 1002: data i godzina", "Wzorzec 20RR-MM-DD gg:mm:ss, * - dowolna wartość"},
    {"MaskEdit3", "NADAJNIK 1003: data i godzina", "Wzorzec 20RR-MM-DD gg:mm:ss, * - dowolna wartość"},
    {"MaskEdit4", "NADAJNIK 1004: data i godzina", "Wzorzec 20RR-MM-DD gg:mm:ss, * - dowolna wartość"},
    {"ComboBox7", "NADAJNIK 1001: przycisk", ""},
    {"ComboBox8", "NADAJNIK 1002: przycisk", ""},
    {"ComboBox9", "NADAJNIK 1003: przycisk", ""},
    {"ComboBox10", "NADAJNIK 1004: przycisk", ""},
    {"ComboBox11", "NADAJNIK 1001: scenariusz", ""},
    {"ComboBox12", "NADAJNIK 1002: scenariusz", ""},
    {"ComboBox13", "NADAJNIK 1003: scenariusz", ""},
    {"ComboBox14", "NADAJNIK 1004: scenariusz", ""},
    {"Edit2", "NADAJNIK 1001: nazwa", ""},
    {"Edit3", "NADAJNIK 1002: nazwa", ""},
    {"Edit5", "NADAJNIK 1003: nazwa", ""},
    {"Edit6", "NADAJNIK 1004: nazwa", ""},
    {"CheckBox1", "NADAJNIK 1001: załącz", ""},
    {"CheckBox2", "NADAJNIK 1002: załącz", ""},
    {"CheckBox3", "NADAJNIK 1003: załącz", ""},
    {"CheckBox4", "NADAJNIK 1004: załącz", ""},
    {"RichEdit1", "Zdarzenia", "Zdarzenia odebrane z TAV-1000R"},
    {"StaticText1", "Wersja TAV-1000R", ""},
    {"StringGrid4", "Podgląd pamięci", ""},
    {"ProgressBar1", "Postęp", ""},
};
// clang-format on

}  // namespace

void TForm1::SetUpAccessibleNames() {
    for (const AccessibleName& n : kNames) {
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(n.control))) {
            w->setAccessibleName(QString::fromUtf8(n.name));
            if (*n.description != 0) {
                w->setAccessibleDescription(QString::fromUtf8(n.description));
            }
        }
    }
    // The map's cells say which remote they stand for.
    ui_->StringGrid2->SetCellDescriber([this](int col, int row) {
        return RemoteHint(row * kRemoteMapColumns + col)
            .replace(QLatin1Char('\n'), QStringLiteral(", "));
    });
}

}  // namespace tav::ui
