// The system's own messages and captions that more than one part of the tool
// shows (the device operations, the window's menus, tavctl), each written once.
// UTF-8, byte for byte as the user sees them.
#pragma once

#include <string_view>

namespace tav::messages {

// Captions.
inline constexpr std::string_view kError = "Błąd";
inline constexpr std::string_view kRefusal = "BŁĄD";
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kWarning = "UWAGA!";

// The device operations.
inline constexpr std::string_view kPortRefused = "Niewłaściwa nazwa portu lub port jest aktywny.";
inline constexpr std::string_view kNoAnswer = "TAV-1000R nie odpowiada!";
inline constexpr std::string_view kTransmissionError = "Blad transmisji";
// Shown (caption kWarning) before the firmware update starts.
inline constexpr std::string_view kFirmwareWarning =
    "Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie włączyć "
    "przytrzymując przyciski YES i NO.";

// Stopping an operation (the stop control is kStop).
inline constexpr std::string_view kStop = "PRZERWIJ";
inline constexpr std::string_view kFirmwareStopQuestion =
    "Przerwać aktualizację oprogramowania? TAV-1000R pozostanie w trybie bootloadera, dopóki "
    "aktualizacja nie przebiegnie w całości.";
inline constexpr std::string_view kStopOnCloseQuestion = "Trwa praca z TAV-1000R. Przerwać ją?";

// Settings files (what a load says: LoadMessage in image/settings_file.h).
inline constexpr std::string_view kSaveFailed = "Zapis do pliku nieudany!";

}  // namespace tav::messages
