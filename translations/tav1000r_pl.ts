<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="pl_PL">
<context>
    <name>ConfigurationReport</name>
    <message>
        <source>on</source>
        <translation>włączone</translation>
    </message>
    <message>
        <source>off</source>
        <translation>wyłączone</translation>
    </message>
    <message>
        <source>Remotes in use: %1 of %2</source>
        <translation>Piloty w użyciu: %1 z %2</translation>
    </message>
    <message>
        <source>none</source>
        <translation>brak</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>Nr</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nazwa</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Nr seryjny</translation>
    </message>
    <message>
        <source>Scenario</source>
        <translation>Scenariusz</translation>
    </message>
    <message>
        <source>unknown mode %1</source>
        <translation>nieznany tryb %1</translation>
    </message>
    <message>
        <source>timer %1: %2</source>
        <translation>timer %1: %2</translation>
    </message>
    <message>
        <source>delay %1: %2</source>
        <translation>opóźnienie %1: %2</translation>
    </message>
    <message>
        <source>Scenario %1 (remotes: %2)</source>
        <translation>Scenariusz %1 (pilotów: %2)</translation>
    </message>
    <message>
        <source>button 14/alarm</source>
        <translation>przycisk 14/alarm</translation>
    </message>
    <message>
        <source>button %1</source>
        <translation>przycisk %1</translation>
    </message>
    <message>
        <source>relay %1</source>
        <translation>przekaźnik %1</translation>
    </message>
    <message>
        <source>Clock events</source>
        <translation>Zdarzenia zegarowe</translation>
    </message>
    <message>
        <source>transmitter %1: %2, button %3, scenario %4, "%5"</source>
        <translation>nadajnik %1: %2, przycisk %3, scenariusz %4, „%5”</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>Wyświetlacz</translation>
    </message>
    <message>
        <source>mode: %1</source>
        <translation>tryb: %1</translation>
    </message>
    <message>
        <source>event confirmation: %1</source>
        <translation>potwierdzanie zdarzeń: %1</translation>
    </message>
    <message>
        <source>button as remote 1000: %1</source>
        <translation>przycisk jako pilot 1000: %1</translation>
    </message>
    <message>
        <source>user text: %1</source>
        <translation>napis użytkownika: %1</translation>
    </message>
    <message>
        <source>TAV-1000R configuration report</source>
        <translation>Raport konfiguracji TAV-1000R</translation>
    </message>
    <message>
        <source>Settings file: %1</source>
        <translation>Plik ustawień: %1</translation>
    </message>
    <message>
        <source>Read from the receiver on: %1</source>
        <translation>Odczytano z odbiornika na porcie: %1</translation>
    </message>
    <message>
        <source>Date: %1</source>
        <translation>Data: %1</translation>
    </message>
    <message>
        <source>Receiver version: %1</source>
        <translation>Wersja odbiornika: %1</translation>
    </message>
    <message>
        <source>installer's signature</source>
        <translation>podpis instalatora</translation>
    </message>
    <message>
        <source>customer's signature</source>
        <translation>podpis klienta</translation>
    </message>
    <message>
        <source>other buttons: %1</source>
        <translation>pozostałe przyciski: %1</translation>
    </message>
</context>
<context>
    <name>Tavctl</name>
    <message>
        <source>unknown option %1</source>
        <translation>nieznana opcja %1</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 wymaga wartości</translation>
    </message>
    <message>
        <source>%1 takes no %2</source>
        <translation>%1 nie przyjmuje %2</translation>
    </message>
    <message>
        <source>%1: unexpected argument %2</source>
        <translation>%1: nieoczekiwany argument %2</translation>
    </message>
    <message>
        <source>%1 needs --image FILE</source>
        <translation>%1 wymaga --image PLIK</translation>
    </message>
    <message>
        <source>%1 needs the remote's number N (1..1000)</source>
        <translation>%1 wymaga numeru pilota N (1..1000)</translation>
    </message>
    <message>
        <source>remote number %1 is not in 1..1000</source>
        <translation>numer pilota %1 nie mieści się w 1..1000</translation>
    </message>
    <message>
        <source>--duration needs a number of seconds, not %1</source>
        <translation>--duration wymaga liczby sekund, a nie %1</translation>
    </message>
    <message>
        <source>tavctl: cannot create the backup %1: %2</source>
        <translation>tavctl: nie można utworzyć kopii zapasowej %1: %2</translation>
    </message>
    <message>
        <source>tavctl: %1 is not a folder; no backup was taken</source>
        <translation>tavctl: %1 nie jest folderem; nie wykonano kopii zapasowej</translation>
    </message>
    <message>
        <source>tavctl: cannot make the folder %1 for the backup: %2</source>
        <translation>tavctl: nie można utworzyć folderu %1 na kopię zapasową: %2</translation>
    </message>
    <message>
        <source>tavctl: made the folder %1 for the backup</source>
        <translation>tavctl: utworzono folder %1 na kopię zapasową</translation>
    </message>
    <message>
        <source>tavctl: the backup could not be read from the receiver</source>
        <translation>tavctl: nie udało się odczytać kopii zapasowej z odbiornika</translation>
    </message>
    <message>
        <source>tavctl: partial backup of %1 saved in %2</source>
        <translation>tavctl: częściową kopię zapasową (%1) zapisano w %2</translation>
    </message>
    <message>
        <source>tavctl: whole backup (1024 records) saved in %1</source>
        <translation>tavctl: pełną kopię zapasową (1024 rekordy) zapisano w %1</translation>
    </message>
    <message>
        <source>Asks the receiver for its version and prints the answer.</source>
        <translation>Pyta odbiornik o wersję i wypisuje odpowiedź.</translation>
    </message>
    <message>
        <source>Reads the receiver's whole memory (1024 records) into the settings file FILE.</source>
        <translation>Odczytuje całą pamięć odbiornika (1024 rekordy) do pliku ustawień FILE.</translation>
    </message>
    <message>
        <source>Writes the whole memory image of the settings file FILE to the receiver.</source>
        <translation>Zapisuje do odbiornika cały obraz pamięci z pliku ustawień FILE.</translation>
    </message>
    <message>
        <source>Reads remote N (1..1000) from the receiver into FILE; the rest of FILE stays.</source>
        <translation>Odczytuje pilota N (1..1000) z odbiornika do FILE; reszta FILE zostaje bez zmian.</translation>
    </message>
    <message>
        <source>Writes remote N (1..1000) of FILE to the receiver.</source>
        <translation>Zapisuje pilota N (1..1000) z FILE do odbiornika.</translation>
    </message>
    <message>
        <source>Reads the four scenarios with their timers and delays into FILE.</source>
        <translation>Odczytuje cztery scenariusze z ich timerami i opóźnieniami do FILE.</translation>
    </message>
    <message>
        <source>Writes the four scenarios with their timers and delays of FILE to the receiver.</source>
        <translation>Zapisuje do odbiornika cztery scenariusze z ich timerami i opóźnieniami z FILE.</translation>
    </message>
    <message>
        <source>Reads the four clock events and their transmitters into FILE.</source>
        <translation>Odczytuje cztery zdarzenia zegarowe i ich nadajniki do FILE.</translation>
    </message>
    <message>
        <source>Writes the four clock events and their transmitters of FILE to the receiver.</source>
        <translation>Zapisuje do odbiornika cztery zdarzenia zegarowe i ich nadajniki z FILE.</translation>
    </message>
    <message>
        <source>Reads the display settings into FILE.</source>
        <translation>Odczytuje ustawienia wyświetlacza do FILE.</translation>
    </message>
    <message>
        <source>Writes the display settings of FILE to the receiver.</source>
        <translation>Zapisuje do odbiornika ustawienia wyświetlacza z FILE.</translation>
    </message>
    <message>
        <source>Sets the receiver's clock from this computer's local time.</source>
        <translation>Ustawia zegar odbiornika według czasu lokalnego tego komputera.</translation>
    </message>
    <message>
        <source>Writes a backup made by --backup back to the receiver, exactly as it was
taken: a partial backup (backup-*.tvr) writes back only the records it holds,
one at a time, and leaves every other record as it is; a whole backup
(backup-*.tv2, or any settings file) is written whole, as write-all writes it.
--verify reads the restored records back and compares them.</source>
        <translation>Zapisuje z powrotem do odbiornika kopię zapasową wykonaną przez --backup,
dokładnie taką, jaka była: kopia częściowa (backup-*.tvr) zapisuje tylko
rekordy, które zawiera, po jednym, a pozostałe zostawia bez zmian; kopia pełna
(backup-*.tv2 lub dowolny plik ustawień) jest zapisywana w całości, jak przez
write-all. --verify odczytuje przywrócone rekordy i porównuje je.</translation>
    </message>
    <message>
        <source>Erases the receiver's whole memory: every remote, scenario, clock event and
display setting in it is lost. On a terminal it asks first (No unless the
answer is y or yes); elsewhere it needs --yes. --backup DIR first saves the
whole memory as DIR/backup-YYYYMMDD-HHMMSS.tv2 (restore writes it back; DIR
is made when missing); if that fails, nothing is erased.</source>
        <translation>Kasuje całą pamięć odbiornika: wszystkie piloty, scenariusze, zdarzenia
zegarowe i ustawienia wyświetlacza zostają utracone. Na terminalu najpierw pyta
(Nie, chyba że odpowiedź to t lub tak); gdzie indziej wymaga --yes. --backup DIR
najpierw zapisuje całą pamięć jako DIR/backup-RRRRMMDD-GGMMSS.tv2 (restore
zapisuje ją z powrotem; brakujący DIR jest tworzony); jeśli to się nie uda,
nic nie jest kasowane.</translation>
    </message>
    <message>
        <source>Loads firmware into a receiver whose boot loader runs (switch it off, then on
again while holding YES and NO). FILE must hold exactly 30,720 bytes; without
it the image built into tavctl is sent. A build without a built-in image (the
default: one is built in only with the CMake option TAV_FIRMWARE_IMAGE=FILE)
needs --firmware FILE: without it, it sends nothing, says so and exits 1.</source>
        <translation>Wgrywa oprogramowanie do odbiornika, w którym działa program ładujący
(wyłącz go i włącz ponownie, trzymając YES i NO). FILE musi mieć dokładnie
30 720 bajtów; bez niego wysyłany jest obraz wbudowany w tavctl. Wersja bez
wbudowanego obrazu (domyślna: obraz jest wbudowany tylko z opcją CMake
TAV_FIRMWARE_IMAGE=FILE) wymaga --firmware FILE: bez niej nic nie wysyła,
mówi o tym i kończy się kodem 1.</translation>
    </message>
    <message>
        <source>Prints the receiver's event lines as they arrive, in UTF-8, history markers
included. --history asks for the stored event history after the start.
Without --duration it runs until interrupted (Ctrl+C).</source>
        <translation>Wypisuje wiersze zdarzeń odbiornika w miarę ich nadejścia, w UTF-8, razem
ze znacznikami historii. --history po starcie prosi o zapisaną historię
zdarzeń. Bez --duration działa aż do przerwania (Ctrl+C).</translation>
    </message>
    <message>
        <source>Lists COM1..COM15 with the device each opens now and what the system knows of
it: for a USB adapter its vendor:product ids, manufacturer, product name,
serial number and stable links (/dev/serial/by-id/...), which --port also
takes; for a built-in UART only its path. Links to a device in /dev itself
(a udev rule's or one made by hand, /dev/tav) are listed with it. With --port
PATH, a last line says what PATH is: the serial device it names and its COM
name, or that it is not a serial device. --json prints one JSON array.
--find asks each present port (or each DEVICE given) for the receiver's
version, one at a time, and prints the first that answers.</source>
        <translation>Wypisuje COM1..COM15 z urządzeniem, które każdy z nich teraz otwiera, i tym,
co system o nim wie: dla przejściówki USB identyfikatory producent:produkt,
producenta, nazwę produktu, numer seryjny i stałe dowiązania
(/dev/serial/by-id/...), które --port też przyjmuje; dla wbudowanego UART tylko
ścieżkę. Dowiązania do urządzenia w samym /dev (z reguły udev lub zrobione
ręcznie, /dev/tav) są wypisywane razem z nim. Z --port ŚCIEŻKA ostatni wiersz
mówi, czym jest ŚCIEŻKA: jakie urządzenie szeregowe wskazuje i jaka jest jego
nazwa COM, albo że nie jest urządzeniem szeregowym. --json wypisuje jedną
tablicę JSON.
--find pyta każdy obecny port (albo każde podane URZĄDZENIE) o wersję
odbiornika, po kolei, i wypisuje pierwszy, który odpowie.</translation>
    </message>
    <message>
        <source>Prints the configuration in the settings file FILE.</source>
        <translation>Wypisuje konfigurację z pliku ustawień FILE.</translation>
    </message>
    <message>
        <source>Prints the fields in which two settings files differ, one a line:
NAME: VALUE_A -&gt; VALUE_B. With one FILE and --port, compares FILE (A) with
the receiver's whole memory (B), read without changing anything. --json
prints one JSON array of {field, offset, length, a, b, a_bytes, b_bytes}.
Exit status as diff(1): 0 the same, 1 different, 2 trouble (a file or the
receiver could not be read, or a usage error).</source>
        <translation>Wypisuje pola, którymi różnią się dwa pliki ustawień, po jednym w wierszu:
NAZWA: WARTOŚĆ_A -&gt; WARTOŚĆ_B. Z jednym FILE i --port porównuje FILE (A) z całą
pamięcią odbiornika (B), odczytaną bez zmieniania czegokolwiek. --json wypisuje
jedną tablicę JSON {field, offset, length, a, b, a_bytes, b_bytes}.
Kod wyjścia jak w diff(1): 0 takie same, 1 różne, 2 kłopot (nie udało się
odczytać pliku lub odbiornika albo błąd użycia).</translation>
    </message>
    <message>
        <source>Writes the configuration in the settings file FILE, or read from the receiver
on PORT (its whole memory, and its version), as a report for the customer's
records to OUT.pdf: A4, margins of 15 mm, the page number at each page's foot.
It holds the file's name or the port, the date and the receiver's version; the
remotes in use (number, name, serial, scenario); per scenario each button's
relays in words (mode, timer or delay with its time); the clock events that
are on; the display settings; lines for the installer's and the customer's
signatures. A section with nothing in it says so. In Polish where the user's
language is Polish, in English otherwise. The window's "Plik" menu prints
the same report.</source>
        <translation>Zapisuje konfigurację z pliku ustawień FILE albo odczytaną z odbiornika na
porcie PORT (całą pamięć i wersję) jako raport do dokumentacji klienta w
OUT.pdf: A4, marginesy 15 mm, numer strony u dołu każdej strony. Zawiera nazwę
pliku lub port, datę i wersję odbiornika; piloty w użyciu (numer, nazwa, numer
seryjny, scenariusz); dla każdego scenariusza przekaźniki każdego przycisku
słowami (tryb, timer lub opóźnienie z czasem); włączone zdarzenia zegarowe;
ustawienia wyświetlacza; miejsca na podpisy instalatora i klienta. Pusta
sekcja mówi „brak”. Po polsku, gdy językiem użytkownika jest polski, w
przeciwnym razie po angielsku. Menu „Plik” okna drukuje ten sam raport.</translation>
    </message>
    <message>
        <source>Imports the remote serial numbers of a TAV-500 file into the settings file
FILE (a zero-filled image when FILE does not exist).</source>
        <translation>Importuje numery seryjne pilotów z pliku TAV-500 do pliku ustawień FILE
(obraz wypełniony zerami, gdy FILE nie istnieje).</translation>
    </message>
    <message>
        <source>export writes the remotes in use of the settings file FILE to OUT.csv, for a
spreadsheet: a header row, then number,serial,scenario,name with the serial as
the window shows it (12:34:56:7a), the scenario 0..3 and the name (RFC 4180
quoting, CR LF line ends). SEP is ',' (the default) or ';'; ENC is utf-8 (the
default), utf-8-bom or windows-1250. --excel writes what a spreadsheet on a
Polish computer opens right on a double click: ';', UTF-8 with a byte-order
mark and the header numer;numer seryjny;scenariusz;nazwa (--separator and
--encoding given too take precedence). Excel on a Polish Windows opens --excel
and --separator ';' --encoding windows-1250 cleanly; LibreOffice Calc and
Google Sheets open the default (LibreOffice asks, and takes every form). A name
starting with =, +, - or @ is written after an apostrophe so that no
spreadsheet takes it for a formula; import takes the apostrophe off.
import takes ',' or ';' (as the header row, or the first row, has them) and
UTF-8 (with or without a byte-order mark) or Windows-1250 (a file that is not
UTF-8), a header in English or Polish (first cell number or numer), and checks
every row (number 1..1000, serial of four hex pairs, scenario 0..3, a name of
at most 26 characters that the receiver can store, no number twice); rows
whose cells are all empty are skipped. One bad row refuses the whole file:
each bad row is named with its reason, the separator and encoding found are
said, and FILE is not changed. Otherwise each row's remote gets its serial,
then its scenario (the last two bits of the serial's last byte) and its name;
nothing else in FILE changes (a zero-filled image when FILE does not exist).
A serial whose last two bits name another scenario than the row's is a warning
naming the row (the scenario column wins); --strict makes it a bad row. A
remote in use that IN.csv leaves out stays as it is, and the summary says how
many; with --replace it is emptied (serial 00:00:00:00, no name) and the
summary names it: on a terminal tavctl asks first, elsewhere it needs --yes.
--backup DIR first saves FILE as it was as DIR/backup-YYYYMMDD-HHMMSS.tv2
(DIR is made when missing). The serial 00:00:00:00 empties a slot.</source>
        <translation>export zapisuje piloty w użyciu z pliku ustawień FILE do OUT.csv, dla arkusza:
wiersz nagłówka, potem number,serial,scenario,name z numerem seryjnym tak jak
pokazuje go okno (12:34:56:7a), scenariuszem 0..3 i nazwą (cudzysłowy wg RFC
4180, końce wierszy CR LF). SEP to ',' (domyślnie) lub ';'; ENC to utf-8
(domyślnie), utf-8-bom lub windows-1250. --excel zapisuje to, co arkusz na
polskim komputerze otwiera dwuklikiem: ';', UTF-8 ze znacznikiem BOM i nagłówek
numer;numer seryjny;scenariusz;nazwa (podane też --separator i --encoding mają
pierwszeństwo). Nazwa zaczynająca się od =, +, - lub @ jest zapisywana po
apostrofie, żeby żaden arkusz nie wziął jej za formułę; import zdejmuje
apostrof.
import przyjmuje ',' lub ';' (jak w wierszu nagłówka albo w pierwszym wierszu),
UTF-8 (ze znacznikiem BOM lub bez) albo Windows-1250 (plik, który nie jest
UTF-8), nagłówek po angielsku lub po polsku (pierwsza komórka number lub numer),
i sprawdza każdy wiersz (numer 1..1000, numer seryjny z czterech par cyfr
szesnastkowych, scenariusz 0..3, nazwa najwyżej 26 znaków, które odbiornik
potrafi zapisać, żaden numer dwa razy); wiersze z samymi pustymi komórkami są
pomijane. Jeden błędny wiersz odrzuca cały plik: każdy błędny wiersz jest
wymieniany z przyczyną, podawany jest znaleziony separator i kodowanie, a FILE
się nie zmienia. W przeciwnym razie pilot z każdego wiersza dostaje numer
seryjny, potem scenariusz (dwa ostatnie bity ostatniego bajtu numeru) i nazwę;
nic innego w FILE się nie zmienia (obraz wypełniony zerami, gdy FILE nie
istnieje). Numer seryjny, którego dwa ostatnie bity wskazują inny scenariusz niż
wiersz, daje ostrzeżenie z numerem wiersza (wygrywa kolumna scenariusza);
--strict czyni z niego błędny wiersz. Pilot w użyciu pominięty w IN.csv zostaje
bez zmian, a podsumowanie mówi, ile ich jest; z --replace jest opróżniany
(numer 00:00:00:00, bez nazwy), a podsumowanie go wymienia: na terminalu tavctl
najpierw pyta, gdzie indziej wymaga --yes. --backup DIR najpierw zapisuje FILE
w dotychczasowej postaci jako DIR/backup-RRRRMMDD-GGMMSS.tv2 (brakujący DIR jest
tworzony). Numer 00:00:00:00 opróżnia miejsce.</translation>
    </message>
    <message>
        <source>set changes remote N (1..1000) of the settings file FILE: its serial, then its
scenario 0..3 (the last two bits of the serial's last byte), then its name,
each where given, with the checks of remotes import; an empty slot needs
--serial (a zero-filled image when FILE does not exist). clear empties the
slot: serial 00:00:00:00 and no name. A value that does not pass is named and
FILE is not changed (exit status 1).</source>
        <translation>set zmienia pilota N (1..1000) w pliku ustawień FILE: jego numer seryjny, potem
scenariusz 0..3 (dwa ostatnie bity ostatniego bajtu numeru), potem nazwę, każde
tam, gdzie podane, z kontrolami remotes import; puste miejsce wymaga --serial
(obraz wypełniony zerami, gdy FILE nie istnieje). clear opróżnia miejsce: numer
00:00:00:00 i brak nazwy. Wartość, która nie przejdzie kontroli, jest
wymieniana, a FILE się nie zmienia (kod wyjścia 1).</translation>
    </message>
    <message>
        <source>Usage: tavctl [--port PORT] COMMAND [ARGS]
The TAV-1000R configuration tool for scripts.

</source>
        <translation>Użycie: tavctl [--port PORT] POLECENIE [ARGUMENTY]
Narzędzie konfiguracji TAV-1000R dla skryptów.

</translation>
    </message>
    <message>
        <source>PORT: COM1..COM255 (as the window maps them to serial devices: COMn is the
n-th serial device present) or a device path such as /dev/ttyUSB0.
'tavctl ports' lists them. Default: COM1.
</source>
        <translation>PORT: COM1..COM255 (tak jak okno przypisuje je urządzeniom szeregowym: COMn
to n-te obecne urządzenie szeregowe) lub ścieżka urządzenia, np. /dev/ttyUSB0.
'tavctl ports' je wypisuje. Domyślnie: COM1.
</translation>
    </message>
    <message>
        <source>PORT: COMn, n from 1 to 255 (COM3, com17, \\.\COM17), or a device path.
'tavctl ports' lists the ports there are. Default: COM1.
</source>
        <translation>PORT: COMn, n od 1 do 255 (COM3, com17, \\.\COM17) lub ścieżka urządzenia.
'tavctl ports' wypisuje porty, które są. Domyślnie: COM1.
</translation>
    </message>
    <message>
        <source>
Device commands:
</source>
        <translation>
Polecenia odbiornika:
</translation>
    </message>
    <message>
        <source>
Other commands:
</source>
        <translation>
Inne polecenia:
</translation>
    </message>
    <message>
        <source>
Messages go to standard error as "CAPTION: TEXT". Exit status: 0 done,
1 refused or failed, 2 usage error (diff as diff(1): 0 the same, 1 different,
2 trouble). 'tavctl COMMAND --help' tells more; 'tavctl --version' prints
the version.
</source>
        <translation>
Komunikaty trafiają na standardowe wyjście błędów jako „TYTUŁ: TEKST”. Kod
wyjścia: 0 wykonano, 1 odmowa lub niepowodzenie, 2 błąd użycia (diff jak
diff(1): 0 takie same, 1 różne, 2 kłopot). 'tavctl POLECENIE --help' mówi
więcej; 'tavctl --version' wypisuje wersję.
</translation>
    </message>
    <message>
        <source>Usage: tavctl %1%2</source>
        <translation>Użycie: tavctl %1%2</translation>
    </message>
    <message>
        <source>[y/N]</source>
        <translation>[t/N]</translation>
    </message>
    <message numerus="yes">
        <source>%n record(s)</source>
        <translation>
            <numerusform>%n rekord</numerusform>
            <numerusform>%n rekordy</numerusform>
            <numerusform>%n rekordów</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n changed record(s)</source>
        <translation>
            <numerusform>%n zmieniony rekord</numerusform>
            <numerusform>%n zmienione rekordy</numerusform>
            <numerusform>%n zmienionych rekordów</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n remote(s)</source>
        <translation>
            <numerusform>%n pilot</numerusform>
            <numerusform>%n piloty</numerusform>
            <numerusform>%n pilotów</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n bad row(s)</source>
        <translation>
            <numerusform>%n błędny wiersz</numerusform>
            <numerusform>%n błędne wiersze</numerusform>
            <numerusform>%n błędnych wierszy</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>nie da się go odczytać</translation>
    </message>
    <message>
        <source>tavctl: cannot open %1: %2</source>
        <translation>tavctl: nie można otworzyć %1: %2</translation>
    </message>
    <message>
        <source>tavctl: %1 is a partial backup of %2, not a whole settings file; 'tavctl restore %1' writes back exactly those records</source>
        <translation>tavctl: %1 to częściowa kopia zapasowa (%2), a nie cały plik ustawień; 'tavctl restore %1' zapisuje z powrotem dokładnie te rekordy</translation>
    </message>
    <message>
        <source>tavctl: %1 is not a settings file (it does not begin with "$*$")</source>
        <translation>tavctl: %1 nie jest plikiem ustawień (nie zaczyna się od „$*$”)</translation>
    </message>
    <message>
        <source>tavctl: %1 is a settings file of a version other than 10</source>
        <translation>tavctl: %1 jest plikiem ustawień w wersji innej niż 10</translation>
    </message>
    <message>
        <source>tavctl: %1 is shorter than a settings file (%2 bytes)</source>
        <translation>tavctl: %1 jest krótszy niż plik ustawień (%2 bajtów)</translation>
    </message>
    <message>
        <source>tavctl: standard output could not be written (%1)</source>
        <translation>tavctl: nie udało się pisać na standardowe wyjście (%1)</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>dysk jest pełny</translation>
    </message>
    <message>
        <source>the file-size limit is reached</source>
        <translation>osiągnięto limit rozmiaru pliku</translation>
    </message>
    <message>
        <source>a write failed: %1</source>
        <translation>zapis się nie udał: %1</translation>
    </message>
    <message>
        <source>a write failed</source>
        <translation>zapis się nie udał</translation>
    </message>
    <message>
        <source>tavctl: cannot save %1: no folder %2</source>
        <translation>tavctl: nie można zapisać %1: brak folderu %2</translation>
    </message>
    <message>
        <source>tavctl: no serial port is present</source>
        <translation>tavctl: nie ma żadnego portu szeregowego</translation>
    </message>
    <message>
        <source>tavctl: no TAV-1000R answers on any port present (%1 asked)</source>
        <translation>tavctl: TAV-1000R nie odpowiada na żadnym z obecnych portów (zapytano: %1)</translation>
    </message>
    <message>
        <source>tavctl: %1 names no serial device on this computer</source>
        <translation>tavctl: %1 nie wskazuje żadnego urządzenia szeregowego na tym komputerze</translation>
    </message>
    <message>
        <source>unknown reason</source>
        <translation>nieznana przyczyna</translation>
    </message>
    <message>
        <source>; join the group that owns the device (usually dialout: sudo usermod -aG dialout $USER) and log in again</source>
        <translation>; dołącz do grupy, do której należy urządzenie (zwykle dialout: sudo usermod -aG dialout $USER), i zaloguj się ponownie</translation>
    </message>
    <message>
        <source>; another program holds the port</source>
        <translation>; port zajmuje inny program</translation>
    </message>
    <message>
        <source>--separator takes ',' or ';', not %1</source>
        <translation>--separator przyjmuje ',' lub ';', a nie %1</translation>
    </message>
    <message>
        <source>--encoding takes utf-8, utf-8-bom or windows-1250, not %1</source>
        <translation>--encoding przyjmuje utf-8, utf-8-bom lub windows-1250, a nie %1</translation>
    </message>
    <message>
        <source>remotes import needs a CSV file and --image FILE</source>
        <translation>remotes import wymaga pliku CSV i --image PLIK</translation>
    </message>
    <message>
        <source>tavctl: %1 (the file read as %2); nothing was imported</source>
        <translation>tavctl: %1 (plik odczytano jako %2); nic nie zaimportowano</translation>
    </message>
    <message>
        <source>remotes import --replace asks before it removes remotes; with no terminal to ask on, give --yes</source>
        <translation>remotes import --replace pyta, zanim usunie piloty; bez terminala, na którym można zapytać, podaj --yes</translation>
    </message>
    <message>
        <source>Remove %1 that %2 does not list (%3) from %4?</source>
        <translation>Usunąć z %4 %1 spoza listy %2 (%3)?</translation>
    </message>
    <message>
        <source>tavctl: nothing was imported</source>
        <translation>tavctl: nic nie zaimportowano</translation>
    </message>
    <message>
        <source>tavctl: %1 imported into %2</source>
        <translation>tavctl: zaimportowano do %2: %1</translation>
    </message>
    <message>
        <source>; removed, not in the file: %1 (%2)</source>
        <translation>; usunięto, bo nie ma ich w pliku: %1 (%2)</translation>
    </message>
    <message>
        <source>; kept, not in the file: %1 in use</source>
        <translation>; pozostawiono, choć nie ma ich w pliku: %1 w użyciu</translation>
    </message>
    <message>
        <source>remotes export needs a settings file and --csv OUT</source>
        <translation>remotes export wymaga pliku ustawień i --csv WYJŚCIE</translation>
    </message>
    <message>
        <source>remotes export takes no --replace, --strict, --yes or --backup</source>
        <translation>remotes export nie przyjmuje --replace, --strict, --yes ani --backup</translation>
    </message>
    <message>
        <source>remotes needs export or import</source>
        <translation>remotes wymaga export lub import</translation>
    </message>
    <message>
        <source>remote needs set N or clear N</source>
        <translation>remote wymaga set N lub clear N</translation>
    </message>
    <message>
        <source>remote clear takes no --name, --serial or --scenario</source>
        <translation>remote clear nie przyjmuje --name, --serial ani --scenario</translation>
    </message>
    <message>
        <source>remote set needs --name, --serial or --scenario</source>
        <translation>remote set wymaga --name, --serial lub --scenario</translation>
    </message>
    <message>
        <source>tavctl: nothing was changed</source>
        <translation>tavctl: nic nie zmieniono</translation>
    </message>
    <message>
        <source>report needs a settings file or --port PORT, and --pdf OUT.pdf</source>
        <translation>report wymaga pliku ustawień lub --port PORT oraz --pdf WYJŚCIE.pdf</translation>
    </message>
    <message>
        <source>tavctl: the report could not be written to %1</source>
        <translation>tavctl: nie udało się zapisać raportu do %1</translation>
    </message>
    <message>
        <source>tavctl: report saved in %1</source>
        <translation>tavctl: raport zapisano w %1</translation>
    </message>
    <message>
        <source>erase asks before it erases; with no terminal to ask on, give --yes</source>
        <translation>erase pyta przed skasowaniem; bez terminala, na którym można zapytać, podaj --yes</translation>
    </message>
    <message>
        <source>Erase the receiver's whole memory? Every remote, scenario, clock event and display setting in it is lost.</source>
        <translation>Skasować całą pamięć odbiornika? Wszystkie piloty, scenariusze, zdarzenia zegarowe i ustawienia wyświetlacza zostaną utracone.</translation>
    </message>
    <message>
        <source>tavctl: nothing was erased</source>
        <translation>tavctl: nic nie skasowano</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>nieznane polecenie %1</translation>
    </message>
    <message>
        <source>--version goes alone</source>
        <translation>--version podaje się samo</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>nie podano polecenia</translation>
    </message>
    <message>
        <source>Try 'tavctl %1--help'.</source>
        <translation>Spróbuj 'tavctl %1--help'.</translation>
    </message>
    <message>
        <source>tavctl: the receiver's answer is no version answer (%1)</source>
        <translation>tavctl: odpowiedź odbiornika nie jest odpowiedzią z wersją (%1)</translation>
    </message>
    <message>
        <source>tavctl: %1 holds %2 bytes; a firmware image has exactly %3</source>
        <translation>tavctl: %1 ma %2 bajtów; obraz oprogramowania ma dokładnie %3</translation>
    </message>
    <message>
        <source>tavctl: this build carries no firmware image; give one with --firmware FILE</source>
        <translation>tavctl: ta wersja nie zawiera obrazu oprogramowania; podaj go przez --firmware PLIK</translation>
    </message>
    <message>
        <source>tavctl: the receiver is not in boot-loader mode (it runs its application, %1); switch it off, then on again while holding YES and NO, and run update-firmware again</source>
        <translation>tavctl: odbiornik nie jest w trybie programu ładującego (działa jego aplikacja, %1); wyłącz go i włącz ponownie, trzymając YES i NO, i uruchom update-firmware jeszcze raz</translation>
    </message>
    <message>
        <source>show needs one settings file</source>
        <translation>show wymaga jednego pliku ustawień</translation>
    </message>
    <message>
        <source>diff needs two settings files, or one and --port PORT</source>
        <translation>diff wymaga dwóch plików ustawień albo jednego i --port PORT</translation>
    </message>
    <message>
        <source>import-tav500 needs one TAV-500 file</source>
        <translation>import-tav500 wymaga jednego pliku TAV-500</translation>
    </message>
    <message>
        <source>tavctl: cannot read %1: %2</source>
        <translation>tavctl: nie można odczytać %1: %2</translation>
    </message>
    <message>
        <source>tavctl: the device has gone away; reception stopped</source>
        <translation>tavctl: urządzenie zniknęło; odbiór zatrzymany</translation>
    </message>
    <message>
        <source>restore needs one backup file</source>
        <translation>restore wymaga jednego pliku kopii zapasowej</translation>
    </message>
    <message>
        <source>tavctl: restored the %1 of %2 one at a time; the others were not touched</source>
        <translation>tavctl: przywrócono po jednym: %1 z %2; pozostałych nie ruszano</translation>
    </message>
    <message>
        <source>tavctl: %1 begins as a partial backup but is damaged (cut short or with bad record numbers); nothing was written</source>
        <translation>tavctl: %1 zaczyna się jak częściowa kopia zapasowa, ale jest uszkodzony (ucięty lub ze złymi numerami rekordów); nic nie zapisano</translation>
    </message>
    <message>
        <source>tavctl: stopped by %1; the read was not finished and %2 was left as it was</source>
        <translation>tavctl: zatrzymano przez %1; odczyt nie został dokończony, a %2 pozostał bez zmian</translation>
    </message>
    <message>
        <source>tavctl: the written records could not be read back for verification</source>
        <translation>tavctl: nie udało się odczytać zapisanych rekordów do sprawdzenia</translation>
    </message>
    <message>
        <source>tavctl: verification failed: %1</source>
        <translation>tavctl: sprawdzenie nie powiodło się: %1</translation>
    </message>
    <message>
        <source>tavctl: verified: the receiver holds the %1 written</source>
        <translation>tavctl: sprawdzono: odbiornik ma zapisane dane (%1)</translation>
    </message>
    <message>
        <source>--backup-full goes with --backup DIR</source>
        <translation>--backup-full idzie w parze z --backup KATALOG</translation>
    </message>
    <message>
        <source>tavctl: %1 holds the same records as %2; nothing was written</source>
        <translation>tavctl: %1 ma te same rekordy co %2; nic nie zapisano</translation>
    </message>
    <message>
        <source>tavctl: nothing was written</source>
        <translation>tavctl: nic nie zapisano</translation>
    </message>
    <message>
        <source>tavctl: %1 differ; the bulk write of the whole memory is faster</source>
        <translation>tavctl: różnice: %1; zapis całej pamięci naraz jest szybszy</translation>
    </message>
    <message>
        <source>unknown port %1 (COM1..COM255 or a device path)</source>
        <translation>nieznany port %1 (COM1..COM255 lub ścieżka urządzenia)</translation>
    </message>
    <message>
        <source>
--only-changed BASE writes only the records in which FILE differs from BASE
(typically the file the receiver was last read into), one record at a time
over one open port after one version query. On the 9600-baud line one
record costs %1 ms (37 bytes and the pauses of 50 and 10 ms), the bulk
write %2 s (34 bytes a record for 1024 records and a pause of 50 ms), so
up to %3 changed records go one at a time and more go by the bulk write.
Nothing is written when FILE and BASE hold the same records.
</source>
        <translation>
--only-changed BASE zapisuje tylko rekordy, którymi FILE różni się od BASE
(zwykle pliku, do którego ostatnio odczytano odbiornik), po jednym, przez jeden
otwarty port po jednym zapytaniu o wersję. Na linii 9600 bodów jeden rekord
kosztuje %1 ms (37 bajtów i przerwy 50 i 10 ms), zapis całej pamięci %2 s
(34 bajty na rekord dla 1024 rekordów i przerwa 50 ms), więc do %3 zmienionych
rekordów idzie po jednym, a więcej zapisem całej pamięci.
Nic nie jest zapisywane, gdy FILE i BASE mają te same rekordy.
</translation>
    </message>
    <message>
        <source>
--backup DIR first reads from the receiver the records this write will change
into a new partial backup DIR/backup-YYYYMMDD-HHMMSS.tvr, which holds those
records with their numbers and nothing else (the whole memory as a settings
file DIR/backup-YYYYMMDD-HHMMSS.tv2 with --backup-full, or when the bulk read
is quicker). 'tavctl restore BACKUP' writes either back. DIR is made, with its
parents, when missing. An existing file is never replaced (the same second
gets -2 .. -9); if the backup cannot be read or saved, nothing is written.
--verify reads the written records back afterwards and compares them byte for
byte; the first record that differs is reported (record, byte, offset, both
values) and the exit status is 1.
</source>
        <translation>
--backup DIR najpierw odczytuje z odbiornika rekordy, które ten zapis zmieni, do
nowej częściowej kopii zapasowej DIR/backup-RRRRMMDD-GGMMSS.tvr, która zawiera
te rekordy z ich numerami i nic więcej (całą pamięć jako plik ustawień
DIR/backup-RRRRMMDD-GGMMSS.tv2 z --backup-full albo gdy odczyt całej pamięci
jest szybszy). 'tavctl restore KOPIA' zapisuje każdą z nich z powrotem.
Brakujący DIR jest tworzony razem z nadrzędnymi. Istniejący plik nigdy nie jest
zastępowany (ta sama sekunda dostaje -2 .. -9); jeśli kopii nie da się
odczytać lub zapisać, nic nie jest zapisywane.
--verify odczytuje potem zapisane rekordy i porównuje je bajt po bajcie;
pierwszy różniący się rekord jest zgłaszany (rekord, bajt, przesunięcie, obie
wartości), a kod wyjścia to 1.
</translation>
    </message>
    <message>
        <source>none</source>
        <translation>brak</translation>
    </message>
    <message>
        <source>tavctl: stopped by %1 before the first record went out; the receiver holds nothing new from %2</source>
        <translation>tavctl: zatrzymano przez %1, zanim wyszedł pierwszy rekord; odbiornik nie ma nic nowego z %2</translation>
    </message>
    <message>
        <source>tavctl: stopped by %1 after record %2; the receiver now holds records %3 (%4 of %5) from %6, the rest as it was before</source>
        <translation>tavctl: zatrzymano przez %1 po rekordzie %2; odbiornik ma teraz rekordy %3 (%4 z %5) z %6, resztę jak przedtem</translation>
    </message>
    <message>
        <source>tavctl: the backup made before the write is %1</source>
        <translation>tavctl: kopia zapasowa wykonana przed zapisem to %1</translation>
    </message>
    <message>
        <source>UTF-8 with a byte-order mark</source>
        <translation>UTF-8 ze znacznikiem BOM</translation>
    </message>
    <message>
        <source>%1, cells split by '%2'</source>
        <translation>%1, komórki rozdzielone znakiem '%2'</translation>
    </message>
    <message>
        <source>a quoted field is not closed</source>
        <translation>pole w cudzysłowie nie jest zamknięte</translation>
    </message>
    <message>
        <source>text after a closing quote</source>
        <translation>tekst po zamykającym cudzysłowie</translation>
    </message>
    <message>
        <source>a quote inside an unquoted field</source>
        <translation>cudzysłów wewnątrz pola bez cudzysłowu</translation>
    </message>
    <message>
        <source>number "%1" is not in 1..1000</source>
        <translation>numer „%1” nie mieści się w 1..1000</translation>
    </message>
    <message>
        <source>serial "%1" is not four hex pairs like 12:34:56:7a</source>
        <translation>numer seryjny „%1” to nie cztery pary cyfr szesnastkowych jak 12:34:56:7a</translation>
    </message>
    <message>
        <source>scenario "%1" is not in 0..3</source>
        <translation>scenariusz „%1” nie mieści się w 0..3</translation>
    </message>
    <message>
        <source>the name holds a character that the receiver cannot store</source>
        <translation>nazwa zawiera znak, którego odbiornik nie potrafi zapisać</translation>
    </message>
    <message>
        <source>the name has %1 characters; at most 26 fit</source>
        <translation>nazwa ma %1 znaków; mieści się najwyżej 26</translation>
    </message>
    <message>
        <source>the name holds a control character</source>
        <translation>nazwa zawiera znak sterujący</translation>
    </message>
    <message>
        <source>%1 fields, not 4 (number,serial,scenario,name)</source>
        <translation>pól: %1, a nie 4 (numer, numer seryjny, scenariusz, nazwa)</translation>
    </message>
    <message>
        <source>the serial %1 ends in scenario %2, the scenario column says %3</source>
        <translation>numer seryjny %1 kończy się scenariuszem %2, a kolumna scenariusza mówi %3</translation>
    </message>
    <message>
        <source>row %1: %2; scenario %3 is stored</source>
        <translation>wiersz %1: %2; zapisano scenariusz %3</translation>
    </message>
    <message>
        <source>remote %1 is already in row %2</source>
        <translation>pilot %1 jest już w wierszu %2</translation>
    </message>
    <message>
        <source>row %1: </source>
        <translation>wiersz %1: </translation>
    </message>
</context>
</TS>