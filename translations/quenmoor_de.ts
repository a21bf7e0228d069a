<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Main</name>
    <message>
        <source>quenmoor: unknown argument &apos;%1&apos; (try quenmoor --help)
</source>
        <translation>quenmoor: unbekanntes Argument „%1“ (siehe quenmoor --help)
</translation>
    </message>
    <message>
        <source>quenmoor: no display found; start it on a virtual display with: xvfb-run -a %1
</source>
        <translation>quenmoor: keine Anzeige gefunden; auf einer virtuellen Anzeige starten mit: xvfb-run -a %1
</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs accessed, modified or created</source>
        <translation>„%1“ braucht accessed, modified oder created</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs a date</source>
        <translation>„%1“ braucht ein Datum</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs two dates</source>
        <translation>„%1“ braucht zwei Daten</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs a number of days</source>
        <translation>„%1“ braucht eine Anzahl Tage</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs lines, null, tsv or json</source>
        <translation>„%1“ braucht lines, null, tsv oder json</translation>
    </message>
    <message>
        <source>quenmoor: %1 (try quenmoor --help)</source>
        <translation>quenmoor: %1 (siehe quenmoor --help)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a date of the form YYYY-MM-DD</source>
        <translation>„%1“ ist kein Datum der Form JJJJ-MM-TT</translation>
    </message>
    <message>
        <source>there is no day %1</source>
        <translation>den Tag %1 gibt es nicht</translation>
    </message>
    <message>
        <source>%1 lies outside 1601-01-01 to 9999-12-31</source>
        <translation>%1 liegt außerhalb von 1601-01-01 bis 9999-12-31</translation>
    </message>
    <message>
        <source>unknown date type &apos;%1&apos;: use accessed, modified or created</source>
        <translation>unbekannte Datumsart „%1“: accessed, modified oder created angeben</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a whole number of days, 0 or more</source>
        <translation>„%1“ ist keine ganze Zahl von Tagen ab 0</translation>
    </message>
    <message>
        <source>unknown format &apos;%1&apos;: use lines, null, tsv or json</source>
        <translation>unbekanntes Format „%1“: lines, null, tsv oder json angeben</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>two rules, &apos;%1&apos; and &apos;%2&apos;: give one</source>
        <translation>zwei Regeln, „%1“ und „%2“: nur eine angeben</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is given twice</source>
        <translation>„%1“ ist zweimal angegeben</translation>
    </message>
    <message>
        <source>no rule: give one of --after, --before, --on, --between, --not-accessed-days</source>
        <translation>keine Regel: eine von --after, --before, --on, --between, --not-accessed-days angeben</translation>
    </message>
    <message>
        <source>no folder to search</source>
        <translation>kein Ordner zum Durchsuchen angegeben</translation>
    </message>
    <message>
        <source>quenmoor: %1: no such folder; it is left out</source>
        <translation>quenmoor: %1: kein solcher Ordner; er wird ausgelassen</translation>
    </message>
    <message>
        <source>quenmoor: %1: cannot be read (%2); it is left out</source>
        <translation>quenmoor: %1: kann nicht gelesen werden (%2); er wird ausgelassen</translation>
    </message>
    <message>
        <source>quenmoor: %1: not a folder; it is left out</source>
        <translation>quenmoor: %1: kein Ordner; er wird ausgelassen</translation>
    </message>
    <message>
        <source>quenmoor: %1</source>
        <translation>quenmoor: %1</translation>
    </message>
    <message>
        <source>quenmoor: the files found could not be written (%1)</source>
        <translation>quenmoor: die gefundenen Dateien konnten nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs a folder pattern</source>
        <translation>„%1“ braucht ein Ordnermuster</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs a name pattern</source>
        <translation>„%1“ braucht ein Namensmuster</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs a size</source>
        <translation>„%1“ braucht eine Größe</translation>
    </message>
    <message>
        <source>--min-size %1 is larger than --max-size %2</source>
        <translation>--min-size %1 ist größer als --max-size %2</translation>
    </message>
    <message>
        <source>quenmoor: %1: not moved to the trash (%2)</source>
        <translation>quenmoor: %1: nicht in den Papierkorb verschoben (%2)</translation>
    </message>
    <message>
        <source>quenmoor: %1: not moved (%2)</source>
        <translation>quenmoor: %1: nicht verschoben (%2)</translation>
    </message>
    <message>
        <source>quenmoor: this command cannot be undone: %1</source>
        <translation>quenmoor: dieser Befehl kann nicht rückgängig gemacht werden: %1</translation>
    </message>
    <message>
        <source>quenmoor: dry run: %1 of 1 file would be moved to the trash; nothing was changed</source>
        <translation>quenmoor: Probelauf: %1 von 1 Datei würde in den Papierkorb verschoben; nichts wurde geändert</translation>
    </message>
    <message>
        <source>quenmoor: dry run: %1 of %2 files would be moved to the trash; nothing was changed</source>
        <translation>quenmoor: Probelauf: %1 von %2 Dateien würden in den Papierkorb verschoben; nichts wurde geändert</translation>
    </message>
    <message>
        <source>quenmoor: %1: moved as %2, because the folder already held a file of its name</source>
        <translation>quenmoor: %1: als %2 verschoben, weil der Ordner bereits eine Datei mit diesem Namen enthielt</translation>
    </message>
    <message>
        <source>quenmoor: dry run: %1 of 1 file would be moved to %2; nothing was changed</source>
        <translation>quenmoor: Probelauf: %1 von 1 Datei würde nach %2 verschoben; nichts wurde geändert</translation>
    </message>
    <message>
        <source>quenmoor: dry run: %1 of %2 files would be moved to %3; nothing was changed</source>
        <translation>quenmoor: Probelauf: %1 von %2 Dateien würden nach %3 verschoben; nichts wurde geändert</translation>
    </message>
    <message>
        <source>quenmoor: %1: no folder to move to (%2)</source>
        <translation>quenmoor: %1: kein Ordner zum Verschieben (%2)</translation>
    </message>
    <message>
        <source>quenmoor: %1: not a folder to move to</source>
        <translation>quenmoor: %1: kein Ordner, in den verschoben werden kann</translation>
    </message>
    <message>
        <source>quenmoor: nothing to undo</source>
        <translation>quenmoor: nichts rückgängig zu machen</translation>
    </message>
    <message>
        <source>quenmoor: %1: not put back (%2)</source>
        <translation>quenmoor: %1: nicht zurückgelegt (%2)</translation>
    </message>
    <message>
        <source>quenmoor: dry run: %1 of 1 file would be put back; nothing was changed</source>
        <translation>quenmoor: Probelauf: %1 von 1 Datei würde zurückgelegt; nichts wurde geändert</translation>
    </message>
    <message>
        <source>quenmoor: dry run: %1 of %2 files would be put back; nothing was changed</source>
        <translation>quenmoor: Probelauf: %1 von %2 Dateien würden zurückgelegt; nichts wurde geändert</translation>
    </message>
    <message>
        <source>Usage: quenmoor [--help | --version]
       quenmoor [FOLDER...]
       quenmoor --find [--date TYPE] RULE [FILTER...] [--format FORMAT]
                [--trash | --move-to FOLDER [--dry-run]] FOLDER...
       quenmoor --undo [--dry-run]

Quenmoor finds unused files: list the folders to search, pick a date type
(modified, created, accessed) and a rule, and it lists every file whose date
matches. Tick results to send them to the trash or move them into a folder.

Without arguments Quenmoor opens its window; with folders, it opens it with
them in its folder list.

  --help     show this help and exit
  --version  show the version and exit
  --find     search without a window and print the files the window would
             list, in the same order; messages go to standard error
  --undo     put back what the last --trash, --move-to, Send To Recycle Bin
             or Move To Folder took away, where it was; print each file put
             back, and name each one that cannot be with its reason

Options of --find, with DATE as YYYY-MM-DD in local time; exactly one rule:
  --after DATE           files whose date falls on a later day,
  --before DATE          on an earlier day,
  --on DATE              on that day,
  --between DATE DATE    from the first day to the second, both included,
  --not-accessed-days N  N or more days before today;
and where wanted:
  --date accessed|modified|created
                         the date to judge by (accessed when not given)
  --format lines|null|tsv|json
                         lines: one path a line (the default); null: each
                         path ended by a NUL character, for names that may
                         hold a newline; tsv: path, date and size in bytes,
                         separated by tabs, with a tab, newline, carriage
                         return or backslash in a path written \t, \n, \r,
                         \\; json: one object a line with &quot;path&quot;, &quot;date&quot;
                         and &quot;size&quot;
  --trash                send every file found to the trash, as Send To
                         Recycle Bin does, and print those that went
  --move-to FOLDER       move every file found into FOLDER, as Move To
                         Folder does (a name that is taken gets a number),
                         and print those that went
  --dry-run              with --trash, --move-to or --undo: print what would
                         go, and touch nothing
Filters that narrow the list, where wanted:
  --exclude PATTERN      leave out folders: a pattern without / matches a
                         folder&apos;s name at any depth (.git, *.cache), one
                         with / a whole path (/home/me/Backups); may be
                         given more than once
  --one-file-system      enter no folder on another mount than the folder
                         given that it lies under
  --name PATTERN         only files whose name matches (*.iso); may be given
                         more than once, and any of them then does
  --min-size SIZE        only files of at least SIZE,
  --max-size SIZE        of at most SIZE: 10M, 1.5G or 500KiB, where kB, MB,
                         GB, TB (and K, M, G, T alone) count in thousands,
                         KiB, MiB, GiB, TiB in 1,024s; a number alone is bytes
Patterns take * ? [...] as the shell does (quote them), upper and lower case
apart. Files left out because their file system keeps no creation date or
their names are not UTF-8, and mounts where reading a file does not move its
access date (noatime, FUSE), are said on standard error.
Dates are written in ISO 8601 with the offset from UTC in force on that day
(2024-03-15T12:00:00+01:00); a date or size that could not be read is left
empty (tsv) or null (json). Relative folders are taken from the current
folder; after -- every argument is a folder.

A file is trashed, moved or put back only while it is still the file
found, and nothing is ever replaced; each file that is not is named on
standard error with its reason. What went is written to the undo journal,
$XDG_STATE_HOME/quenmoor/journal, which the window&apos;s Undo uses too.

Exit status: 0 when the search ran, whatever it found, and every file was
trashed, moved or put back; 1 when a folder was left out, an error was
reported or a file was not handled; 2 for a wrong command line.

Settings are kept in $XDG_CONFIG_HOME/Vellumark.ini (~/.config/Vellumark.ini).
See quenmoor(1).
</source>
        <translation>Aufruf: quenmoor [--help | --version]
        quenmoor [ORDNER...]
        quenmoor --find [--date ART] REGEL [FILTER...] [--format FORMAT]
                 [--trash | --move-to ORDNER [--dry-run]] ORDNER...
        quenmoor --undo [--dry-run]

Quenmoor findet ungenutzte Dateien: Geben Sie die zu durchsuchenden Ordner an,
wählen Sie eine Datumsart (Änderung, Erstellung, Zugriff) und eine Regel, und
es listet jede Datei auf, deren Datum passt. Markierte Ergebnisse lassen sich in
den Papierkorb oder in einen anderen Ordner verschieben.

Ohne Argumente öffnet Quenmoor sein Fenster; mit Ordnern öffnet es das Fenster
mit ihnen in seiner Ordnerliste.

  --help     diese Hilfe anzeigen und beenden
  --version  die Version anzeigen und beenden
  --find     ohne Fenster suchen und die Dateien ausgeben, die das Fenster
             auflisten würde, in derselben Reihenfolge; Meldungen gehen an
             die Standardfehlerausgabe
  --undo     zurücklegen, was das letzte --trash, --move-to, „Markierte in
             den Papierkorb“ oder „In Ordner verschieben“ fortgenommen hat,
             dorthin, wo es war; jede zurückgelegte Datei ausgeben und jede,
             die es nicht sein kann, mit ihrem Grund nennen

Optionen von --find, DATUM als JJJJ-MM-TT in Ortszeit; genau eine Regel:
  --after DATUM          Dateien, deren Datum auf einen späteren Tag fällt,
  --before DATUM         auf einen früheren Tag,
  --on DATUM             auf diesen Tag,
  --between DATUM DATUM  vom ersten bis zum zweiten Tag, beide eingeschlossen,
  --not-accessed-days N  N oder mehr Tage vor heute;
und nach Bedarf:
  --date accessed|modified|created
                         das Datum, nach dem geprüft wird: Zugriff, Änderung
                         oder Erstellung (ohne Angabe der Zugriff)
  --format lines|null|tsv|json
                         lines: ein Pfad je Zeile (Vorgabe); null: jeder Pfad
                         mit einem NUL-Zeichen abgeschlossen, für Namen, die
                         einen Zeilenumbruch enthalten können; tsv: Pfad,
                         Datum und Größe in Byte, durch Tabulatoren getrennt,
                         wobei Tabulator, Zeilenumbruch, Wagenrücklauf und
                         umgekehrter Schrägstrich im Pfad als \t, \n, \r, \\
                         geschrieben werden; json: ein Objekt je Zeile mit
                         &quot;path&quot;, &quot;date&quot; und &quot;size&quot;
  --trash                jede gefundene Datei in den Papierkorb verschieben,
                         wie „Markierte in den Papierkorb“, und die
                         ausgeben, die dorthin gingen
  --move-to ORDNER       jede gefundene Datei in ORDNER verschieben, wie „In
                         Ordner verschieben“ (ein vergebener Name erhält eine
                         Nummer), und die ausgeben, die dorthin gingen
  --dry-run              mit --trash, --move-to oder --undo: ausgeben, was
                         gehen würde, und nichts anrühren
Filter, die die Liste nach Bedarf einengen:
  --exclude MUSTER       Ordner auslassen: ein Muster ohne / passt auf den
                         Namen eines Ordners in jeder Tiefe (.git, *.cache),
                         eines mit / auf einen ganzen Pfad (/home/ich/Backups);
                         darf mehrmals angegeben werden
  --one-file-system      keinen Ordner betreten, der auf einem anderen
                         Einhängepunkt liegt als der angegebene Ordner darüber
  --name MUSTER          nur Dateien, deren Name passt (*.iso); darf mehrmals
                         angegeben werden, dann genügt eines der Muster
  --min-size GRÖSSE      nur Dateien von mindestens GRÖSSE,
  --max-size GRÖSSE      von höchstens GRÖSSE: 10M, 1.5G oder 500KiB, wobei kB,
                         MB, GB, TB (und K, M, G, T allein) in Tausendern
                         zählen, KiB, MiB, GiB, TiB in 1.024ern; eine Zahl
                         allein sind Bytes
Muster kennen * ? [...] wie die Shell (setzen Sie sie in Anführungszeichen) und
unterscheiden Groß- und Kleinschreibung. Dateien, die ausgelassen wurden, weil
ihr Dateisystem kein Erstellungsdatum führt oder ihr Name kein gültiges UTF-8
ist, und Einhängepunkte, an denen das Lesen einer Datei ihr Zugriffsdatum nicht
ändert (noatime, FUSE), werden auf der Standardfehlerausgabe genannt.
Daten werden in ISO 8601 mit dem an diesem Tag geltenden Abstand zu UTC
geschrieben (2024-03-15T12:00:00+01:00); ein Datum oder eine Größe, die nicht
gelesen werden konnte, bleibt leer (tsv) oder ist null (json). Relative Ordner
gelten ab dem aktuellen Ordner; nach -- ist jedes Argument ein Ordner.

Eine Datei wird nur in den Papierkorb gelegt, verschoben oder zurückgelegt,
solange sie noch die gefundene Datei ist, und nie wird etwas ersetzt; jede,
bei der das nicht geschieht, wird mit ihrem Grund auf der Standardfehlerausgabe
genannt. Was fortging, steht im Rückgängig-Protokoll
$XDG_STATE_HOME/quenmoor/journal, das auch „Rückgängig“ im Fenster benutzt.

Rückgabewert: 0, wenn die Suche lief, was immer sie fand, und jede Datei in
den Papierkorb gelegt, verschoben oder zurückgelegt wurde; 1, wenn ein Ordner
ausgelassen, ein Fehler gemeldet oder eine Datei nicht behandelt wurde; 2 bei
einer falschen Befehlszeile.

Die Einstellungen stehen in $XDG_CONFIG_HOME/Vellumark.ini
(~/.config/Vellumark.ini). Siehe quenmoor(1).
</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs a folder</source>
        <translation>„%1“ braucht einen Ordner</translation>
    </message>
    <message>
        <source>&apos;--move-to&apos; needs a folder</source>
        <translation>„--move-to“ braucht einen Ordner</translation>
    </message>
    <message>
        <source>&apos;%1&apos; and &apos;%2&apos; cannot go together</source>
        <translation>„%1“ und „%2“ gehen nicht zusammen</translation>
    </message>
    <message>
        <source>&apos;--dry-run&apos; goes with --trash or --move-to</source>
        <translation>„--dry-run“ gehört zu --trash oder --move-to</translation>
    </message>
    <message>
        <source>&apos;--undo&apos; takes only --dry-run</source>
        <translation>„--undo“ nimmt nur --dry-run</translation>
    </message>
    <message>
        <source>quenmoor: the files handled could not be written (%1)</source>
        <translation>quenmoor: die behandelten Dateien konnten nicht geschrieben werden (%1)</translation>
    </message>
</context>
<context>
    <name>qm::CursorFile</name>
    <message>
        <source>The cursor file %1 is %2, not a file</source>
        <translation>Die Zeigerdatei %1 ist %2, keine Datei</translation>
    </message>
    <message>
        <source>The cursor file %1 is too large (%2)</source>
        <translation>Die Zeigerdatei %1 ist zu groß (%2)</translation>
    </message>
    <message>
        <source>The cursor file %1 cannot be read: %2</source>
        <translation>Die Zeigerdatei %1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>qm::ErrorReport</name>
    <message>
        <source>Application Error</source>
        <translation>Anwendungsfehler</translation>
    </message>
    <message>
        <source>at line %1</source>
        <translation>in Zeile %1</translation>
    </message>
    <message>
        <source>Please email screenshot of this message to %1</source>
        <translation>Bitte senden Sie ein Bildschirmfoto dieser Meldung per E-Mail an %1</translation>
    </message>
</context>
<context>
    <name>qm::Failure</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Subscript out of range</source>
        <translation>Index außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>Type mismatch</source>
        <translation>Typen unverträglich</translation>
    </message>
    <message>
        <source>Internal error</source>
        <translation>Interner Fehler</translation>
    </message>
    <message>
        <source>Bad file name or number</source>
        <translation>Dateiname oder -nummer falsch</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Device I/O error</source>
        <translation>Fehler bei Geräte-E/A</translation>
    </message>
    <message>
        <source>File already exists</source>
        <translation>Datei existiert bereits</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Fehler beim Zugriff auf Pfad/Datei</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Ungültiger Eigenschaftswert</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Application-defined or object-defined error</source>
        <translation>Anwendungs- oder objektdefinierter Fehler</translation>
    </message>
</context>
<context>
    <name>qm::FileSystem</name>
    <message>
        <source>it changed since the search</source>
        <translation>sie wurde seit der Suche geändert</translation>
    </message>
    <message>
        <source>it changed while it was being moved</source>
        <translation>sie wurde während des Verschiebens geändert</translation>
    </message>
    <message>
        <source>it is not a regular file or a link</source>
        <translation>sie ist weder eine normale Datei noch eine Verknüpfung</translation>
    </message>
    <message>
        <source>the folder it was to go to is gone</source>
        <translation>der Zielordner ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>that file system cannot add it without risk to another file</source>
        <translation>dieses Dateisystem kann sie nicht ohne Gefahr für eine andere Datei aufnehmen</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>no space left</source>
        <translation>kein Speicherplatz mehr frei</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>read-only file system</source>
        <translation>schreibgeschütztes Dateisystem</translation>
    </message>
    <message>
        <source>the file is in use</source>
        <translation>die Datei wird gerade verwendet</translation>
    </message>
    <message>
        <source>the disk could not be read or written</source>
        <translation>der Datenträger konnte nicht gelesen oder beschrieben werden</translation>
    </message>
    <message>
        <source>the name is too long there</source>
        <translation>der Name ist dort zu lang</translation>
    </message>
    <message>
        <source>that folder cannot take more entries</source>
        <translation>dieser Ordner kann keine weiteren Einträge aufnehmen</translation>
    </message>
</context>
<context>
    <name>qm::Filters</name>
    <message>
        <source>&apos;%1&apos; ends in a lone \</source>
        <translation>„%1“ endet mit einem einzelnen \</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has a [ without its ]</source>
        <translation>„%1“ hat eine [ ohne ihre ]</translation>
    </message>
    <message>
        <source>&apos;%1&apos; holds a / but starts with neither /, ~/ nor **/: a pattern with / names a whole path</source>
        <translation>„%1“ enthält einen /, beginnt aber weder mit /, ~/ noch **/: ein Muster mit / nennt einen ganzen Pfad</translation>
    </message>
    <message>
        <source>&apos;%1&apos; holds a /, which no file name does</source>
        <translation>„%1“ enthält einen /, den kein Dateiname enthält</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a size: give a number and a unit, such as 10M, 1.5G or 500KiB</source>
        <translation>„%1“ ist keine Größe: geben Sie eine Zahl und eine Einheit an, etwa 10M, 1.5G oder 500KiB</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is too large a size</source>
        <translation>„%1“ ist eine zu große Größe</translation>
    </message>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>the least size, %1, is larger than the greatest, %2</source>
        <translation>die kleinste Größe, %1, ist größer als die größte, %2</translation>
    </message>
</context>
<context>
    <name>qm::FiltersDialog</name>
    <message>
        <source>Filters</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Leave out these &amp;folders, one pattern a line:</source>
        <translation>Diese &amp;Ordner auslassen, ein Muster je Zeile:</translation>
    </message>
    <message>
        <source>A pattern without / matches a folder&apos;s name at any depth (.git, node_modules, *.cache); a pattern with / matches a whole path (/home/me/Backups, ~/Videos/*, **/build/cache). * ? [...] work as in the shell, and upper and lower case differ. A folder in the list to search is searched all the same.</source>
        <translation>Ein Muster ohne / passt auf den Namen eines Ordners in jeder Tiefe (.git, node_modules, *.cache); ein Muster mit / passt auf einen ganzen Pfad (/home/ich/Backups, ~/Videos/*, **/build/cache). * ? [...] wirken wie in der Shell, Groß- und Kleinschreibung werden unterschieden. Ein Ordner in der Liste der zu durchsuchenden Ordner wird trotzdem durchsucht.</translation>
    </message>
    <message>
        <source>&amp;Stay on the file system of each listed folder</source>
        <translation>Im Dateisystem jedes aufgeführten Ordners &amp;bleiben</translation>
    </message>
    <message>
        <source>Stay on the file system of each listed folder</source>
        <translation>Im Dateisystem jedes aufgeführten Ordners bleiben</translation>
    </message>
    <message>
        <source>Mounted disks, network shares and bind mounts below a listed folder are then not searched.</source>
        <translation>Eingehängte Laufwerke, Netzwerkfreigaben und Bind-Mounts unterhalb eines aufgeführten Ordners werden dann nicht durchsucht.</translation>
    </message>
    <message>
        <source>Only files &amp;named (patterns separated by blanks; \ before a blank keeps it):</source>
        <translation>Nur Dateien &amp;namens (Muster durch Leerzeichen getrennt; \ vor einem Leerzeichen behält es):</translation>
    </message>
    <message>
        <source>Only files of at &amp;least:</source>
        <translation>Nur Dateien von &amp;mindestens:</translation>
    </message>
    <message>
        <source>and at &amp;most:</source>
        <translation>und &amp;höchstens:</translation>
    </message>
    <message>
        <source>Sizes such as 10M, 1.5G or 500KiB: kB, MB, GB and TB count in thousands, as K, M, G and T alone do; KiB, MiB, GiB and TiB in 1,024s. A number alone is bytes. Both bounds are included.</source>
        <translation>Größen wie 10M, 1.5G oder 500KiB: kB, MB, GB und TB zählen in Tausendern, wie K, M, G und T allein; KiB, MiB, GiB und TiB in 1.024ern. Eine Zahl allein sind Bytes. Beide Grenzen sind eingeschlossen.</translation>
    </message>
    <message>
        <source>&amp;Clear Filters</source>
        <translation>Filter &amp;leeren</translation>
    </message>
    <message>
        <source>Clear Filters</source>
        <translation>Filter leeren</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>qm::Form1</name>
    <message>
        <source>Add Folder Or Drive</source>
        <translation>Ordner oder Laufwerk hinzufügen</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>Load Sample/Example Folder</source>
        <translation>Beispielordner laden</translation>
    </message>
    <message>
        <source>Find by which date type?</source>
        <translation>Nach welchem Datum suchen?</translation>
    </message>
    <message>
        <source>Date Accessed</source>
        <translation>Zugriff</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>Date Created</source>
        <translation>Erstellung</translation>
    </message>
    <message>
        <source>Select Cutoff Date</source>
        <translation>Stichtag wählen</translation>
    </message>
    <message>
        <source>After this date</source>
        <translation>Später als</translation>
    </message>
    <message>
        <source>Before this date</source>
        <translation>Früher als</translation>
    </message>
    <message>
        <source>On this date</source>
        <translation>Genau am</translation>
    </message>
    <message>
        <source>Between</source>
        <translation>Zwischen</translation>
    </message>
    <message>
        <source>and</source>
        <translation>und</translation>
    </message>
    <message>
        <source>Anything that has not been accessed in x days:</source>
        <translation>Alles, worauf seit x Tagen nicht zugegriffen wurde:</translation>
    </message>
    <message>
        <source>Start Finding Unused Files</source>
        <translation>Suche nach ungenutzten Dateien starten</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Unselect All</source>
        <translation>Alle abwählen</translation>
    </message>
    <message>
        <source>Send Checked To Recycle Bin</source>
        <translation>Markierte in den Papierkorb</translation>
    </message>
    <message>
        <source>Move To Folder</source>
        <translation>In Ordner verschieben</translation>
    </message>
    <message>
        <source>Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Doppelklicken Sie auf einen Eintrag, um ihn zu entfernen. Ziehen Sie die Linie | nach rechts aus dem Fenster, um die vollständigen Namen zu sehen.</translation>
    </message>
    <message>
        <source>Move | line to right and out of window to reveal full names.</source>
        <translation>Ziehen Sie die Linie | nach rechts aus dem Fenster, um die vollständigen Namen zu sehen.</translation>
    </message>
    <message>
        <source>Folder(s) Or Drives To Search</source>
        <translation>Zu durchsuchende Ordner oder Laufwerke</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>Your choices could not be saved (%1: %2). They apply until Quenmoor is closed.</source>
        <translation>Ihre Einstellungen konnten nicht gespeichert werden (%1: %2). Sie gelten, bis Quenmoor geschlossen wird.</translation>
    </message>
    <message>
        <source>File: %1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <source>File: (no file)</source>
        <translation>Datei: (keine Datei)</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte einen Ordner auswählen:</translation>
    </message>
    <message>
        <source>Please type the number of days into the box beside &quot;%1&quot; as a whole number of 0 or more, for example 300.</source>
        <translation>Bitte geben Sie die Anzahl der Tage in das Feld neben „%1“ als ganze Zahl ab 0 ein, zum Beispiel 300.</translation>
    </message>
    <message>
        <source>No folders added.</source>
        <translation>Es wurden keine Ordner hinzugefügt.</translation>
    </message>
    <message>
        <source>%1 will be removed because it is a subfolder of another folder that you added.</source>
        <translation>Der Ordner %1 wird entfernt, weil er ein Unterordner eines anderen hinzugefügten Ordners ist.</translation>
    </message>
    <message>
        <source>File(s) Found</source>
        <translation>Gefundene Dateien</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <comment>result column</comment>
        <translation>Änderungsdatum</translation>
    </message>
    <message>
        <source>Date Created</source>
        <comment>result column</comment>
        <translation>Erstelldatum</translation>
    </message>
    <message>
        <source>Date Accessed</source>
        <comment>result column</comment>
        <translation>Zugriffsdatum</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop the search and list what was found so far (Esc)</source>
        <translation>Suche anhalten und bisher Gefundenes auflisten (Esc)</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Open Containing &amp;Folder</source>
        <translation>Enthaltenden &amp;Ordner öffnen</translation>
    </message>
    <message>
        <source>&amp;Copy Path</source>
        <translation>Pfad &amp;kopieren</translation>
    </message>
    <message>
        <source>%1 cannot be opened: it is no longer there.</source>
        <translation>%1 kann nicht geöffnet werden: Die Datei ist nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>No application was found to open %1.</source>
        <translation>Es wurde keine Anwendung gefunden, die %1 öffnen kann.</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1. Quenmoor opens at its designed size and does not keep its size and place while this is so.</source>
        <translation>%1. Quenmoor öffnet sich in seiner vorgesehenen Größe und merkt sich Größe und Lage nicht, solange das so ist.</translation>
    </message>
    <message>
        <source>%1 could not be opened: the desktop reported a failure.</source>
        <translation>%1 konnte nicht geöffnet werden: Die Arbeitsumgebung meldet einen Fehler.</translation>
    </message>
    <message>
        <source>The filters cannot be used: %1</source>
        <translation>Die Filter sind nicht verwendbar: %1</translation>
    </message>
    <message>
        <source>The filters cannot be used: %1. Correct them under Filters… and start again.</source>
        <translation>Die Filter sind nicht verwendbar: %1. Berichtigen Sie sie unter „Filter…“ und starten Sie erneut.</translation>
    </message>
    <message>
        <source>Filters…</source>
        <translation>Filter…</translation>
    </message>
    <message>
        <source>Leave folders out of every search, stay on one file system, keep only some names or sizes</source>
        <translation>Ordner aus jeder Suche auslassen, in einem Dateisystem bleiben, nur bestimmte Namen oder Größen behalten</translation>
    </message>
    <message>
        <source>Save &amp;Ticked As CSV...</source>
        <translation>&amp;Markierte als CSV speichern...</translation>
    </message>
    <message>
        <source>&amp;Save List As CSV...</source>
        <translation>Liste als CSV &amp;speichern...</translation>
    </message>
    <message>
        <source>No row is ticked: nothing to save.</source>
        <translation>Keine Zeile ist markiert: nichts zu speichern.</translation>
    </message>
    <message>
        <source>The list is empty: nothing to save.</source>
        <translation>Die Liste ist leer: nichts zu speichern.</translation>
    </message>
    <message>
        <source>unused files.csv</source>
        <translation>ungenutzte Dateien.csv</translation>
    </message>
    <message>
        <source>Save Ticked As CSV</source>
        <translation>Markierte als CSV speichern</translation>
    </message>
    <message>
        <source>Save List As CSV</source>
        <translation>Liste als CSV speichern</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>The list could not be saved to %1: %2</source>
        <translation>Die Liste konnte nicht unter %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>1 row saved to %1.</source>
        <translation>1 Zeile unter %1 gespeichert.</translation>
    </message>
    <message>
        <source>%1 rows saved to %2.</source>
        <translation>%1 Zeilen unter %2 gespeichert.</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Put back the files the last command moved to the trash or to a folder (Ctrl+Z)</source>
        <translation>Die Dateien zurücklegen, die der letzte Befehl in den Papierkorb oder in einen Ordner verschoben hat (Strg+Z)</translation>
    </message>
    <message>
        <source>This command cannot be undone: %1.</source>
        <translation>Dieser Befehl kann nicht rückgängig gemacht werden: %1.</translation>
    </message>
    <message>
        <source>Nothing to undo.</source>
        <translation>Nichts rückgängig zu machen.</translation>
    </message>
    <message>
        <source>%1 (%2) put back.</source>
        <translation>%1 (%2) zurückgelegt.</translation>
    </message>
    <message>
        <source>No file was put back.</source>
        <translation>Keine Datei wurde zurückgelegt.</translation>
    </message>
    <message>
        <source>1 file was put back where it was.</source>
        <translation>1 Datei wurde an ihren Platz zurückgelegt.</translation>
    </message>
    <message>
        <source>%1 files were put back where they were.</source>
        <translation>%1 Dateien wurden an ihren Platz zurückgelegt.</translation>
    </message>
    <message>
        <source>1 file was not put back:</source>
        <translation>1 Datei wurde nicht zurückgelegt:</translation>
    </message>
    <message>
        <source>%1 files were not put back:</source>
        <translation>%1 Dateien wurden nicht zurückgelegt:</translation>
    </message>
</context>
<context>
    <name>qm::Journal</name>
    <message>
        <source>The undo journal %1 is %2, not a file</source>
        <translation>Das Rückgängig-Protokoll %1 ist %2, keine Datei</translation>
    </message>
    <message>
        <source>The undo journal %1 is too large (%2)</source>
        <translation>Das Rückgängig-Protokoll %1 ist zu groß (%2)</translation>
    </message>
    <message>
        <source>The undo journal %1 cannot be read: %2</source>
        <translation>Das Rückgängig-Protokoll %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The undo journal %1 is in use by another running Quenmoor</source>
        <translation>Das Rückgängig-Protokoll %1 wird von einem anderen laufenden Quenmoor benutzt</translation>
    </message>
    <message>
        <source>The undo journal %1 could not be written: %2</source>
        <translation>Das Rückgängig-Protokoll %1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The undo journal %1 is damaged (line %2) and is ignored</source>
        <translation>Das Rückgängig-Protokoll %1 ist beschädigt (Zeile %2) und wird nicht beachtet</translation>
    </message>
</context>
<context>
    <name>qm::ListCsv</name>
    <message>
        <source>%1 is %2, not a file</source>
        <translation>%1 ist %2, keine Datei</translation>
    </message>
    <message>
        <source>%1 is too large (%2)</source>
        <translation>%1 ist zu groß (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>qm::ListView</name>
    <message>
        <source>ticked</source>
        <translation>markiert</translation>
    </message>
    <message>
        <source>not ticked</source>
        <translation>nicht markiert</translation>
    </message>
</context>
<context>
    <name>qm::ListedText</name>
    <message>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
</context>
<context>
    <name>qm::MoveToFolder</name>
    <message>
        <source>its name is only blanks</source>
        <translation>ihr Name besteht nur aus Leerzeichen</translation>
    </message>
    <message>
        <source>a hidden or system file</source>
        <translation>eine versteckte oder Systemdatei</translation>
    </message>
    <message>
        <source>1 file was not moved and is still ticked in the list:</source>
        <translation>1 Datei wurde nicht verschoben und ist in der Liste weiterhin markiert:</translation>
    </message>
    <message>
        <source>%1 files were not moved and are still ticked in the list:</source>
        <translation>%1 Dateien wurden nicht verschoben und sind in der Liste weiterhin markiert:</translation>
    </message>
    <message>
        <source>1 file was not moved:</source>
        <translation>1 Datei wurde nicht verschoben:</translation>
    </message>
    <message>
        <source>%1 files were not moved:</source>
        <translation>%1 Dateien wurden nicht verschoben:</translation>
    </message>
    <message>
        <source>1 file was given a new name, because the folder already held a file of its name:</source>
        <translation>1 Datei hat einen neuen Namen erhalten, weil der Ordner bereits eine Datei mit diesem Namen enthielt:</translation>
    </message>
    <message>
        <source>%1 files were given new names, because the folder already held files of their names:</source>
        <translation>%1 Dateien haben neue Namen erhalten, weil der Ordner bereits Dateien mit diesen Namen enthielt:</translation>
    </message>
    <message>
        <source>it is already in that folder</source>
        <translation>sie ist bereits in diesem Ordner</translation>
    </message>
    <message>
        <source>%1; what was copied is there as %2</source>
        <translation>%1; was kopiert wurde, liegt dort als %2</translation>
    </message>
    <message>
        <source>copied there as %1, but it could not be removed from its folder: %2</source>
        <translation>als %1 dorthin kopiert, konnte aber nicht aus ihrem Ordner entfernt werden: %2</translation>
    </message>
</context>
<context>
    <name>qm::RecycleBin</name>
    <message>
        <source>Move this file to the trash?</source>
        <translation>Diese Datei in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <source>Move these %1 files to the trash?</source>
        <translation>Diese %1 Dateien in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <source>You can restore them from the trash.</source>
        <translation>Sie können sie aus dem Papierkorb wiederherstellen.</translation>
    </message>
    <message>
        <source>Moving files to the trash...</source>
        <translation>Dateien werden in den Papierkorb verschoben...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Moving files to the trash...
%1</source>
        <translation>Dateien werden in den Papierkorb verschoben...
%1</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb</translation>
    </message>
    <message>
        <source>%1 of %2 files could not be moved to the trash and stay where they are:</source>
        <translation>%1 von %2 Dateien konnten nicht in den Papierkorb verschoben werden und bleiben, wo sie sind:</translation>
    </message>
    <message>
        <source>%1 of %2 files could not be moved to the trash:</source>
        <translation>%1 von %2 Dateien konnten nicht in den Papierkorb verschoben werden:</translation>
    </message>
    <message>
        <source>You can restore it from the trash.</source>
        <translation>Sie können sie aus dem Papierkorb wiederherstellen.</translation>
    </message>
</context>
<context>
    <name>qm::Settings</name>
    <message>
        <source>%1. Quenmoor uses its default choices and cannot save them while this is so.</source>
        <translation>%1. Quenmoor verwendet seine Standardeinstellungen und kann Änderungen nicht speichern, solange das so ist.</translation>
    </message>
</context>
<context>
    <name>qm::SettingsFile</name>
    <message>
        <source>The settings file %1 is %2, not a file</source>
        <translation>Die Einstellungsdatei %1 ist %2, keine Datei</translation>
    </message>
    <message>
        <source>The settings file %1 is too large (%2)</source>
        <translation>Die Einstellungsdatei %1 ist zu groß (%2)</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be read: %2</source>
        <translation>Die Einstellungsdatei %1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>qm::Size</name>
    <message>
        <source>%1 kB</source>
        <translation>%1 kB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 TB</source>
        <translation>%1 TB</translation>
    </message>
    <message>
        <source>%1 PB</source>
        <translation>%1 PB</translation>
    </message>
    <message>
        <source>%1 EB</source>
        <translation>%1 EB</translation>
    </message>
    <message>
        <source>%1 ZB</source>
        <translation>%1 ZB</translation>
    </message>
    <message>
        <source>%1 YB</source>
        <translation>%1 YB</translation>
    </message>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
</context>
<context>
    <name>qm::Skin</name>
    <message>
        <source>The skin file is empty</source>
        <translation>Die Skin-Datei ist leer</translation>
    </message>
    <message>
        <source>The skin file is not a text style sheet</source>
        <translation>Die Skin-Datei ist kein Stylesheet in Textform</translation>
    </message>
    <message>
        <source>No skin is loaded</source>
        <translation>Es ist kein Skin geladen</translation>
    </message>
    <message>
        <source>The skin names no window</source>
        <translation>Der Skin nennt kein Fenster</translation>
    </message>
    <message>
        <source>The skin control has no such member</source>
        <translation>Das Skin-Steuerelement hat kein solches Element</translation>
    </message>
    <message>
        <source>The skin file %1 is %2, not a file</source>
        <translation>Die Skin-Datei %1 ist %2, keine Datei</translation>
    </message>
    <message>
        <source>The skin file %1 is too large (%2)</source>
        <translation>Die Skin-Datei %1 ist zu groß (%2)</translation>
    </message>
    <message>
        <source>The skin file %1 cannot be read: %2</source>
        <translation>Die Skin-Datei %1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>qm::Status</name>
    <message>
        <source>1 file</source>
        <translation>1 Datei</translation>
    </message>
    <message>
        <source>%1 files</source>
        <translation>%1 Dateien</translation>
    </message>
    <message>
        <source>1 folder</source>
        <translation>1 Ordner</translation>
    </message>
    <message>
        <source>%1 folders</source>
        <translation>%1 Ordner</translation>
    </message>
    <message>
        <source>Searching: %1 and %2 checked, %3 found. Reading %4</source>
        <translation>Suche: %1 und %2 geprüft, %3 gefunden. Lese %4</translation>
    </message>
    <message>
        <source>Search stopped after %1 and %2.</source>
        <translation>Suche nach %1 und %2 angehalten.</translation>
    </message>
    <message>
        <source>%1 (%2) moved to the trash.</source>
        <translation>%1 (%2) in den Papierkorb verschoben.</translation>
    </message>
    <message>
        <source>%1 (%2) moved to %3.</source>
        <translation>%1 (%2) nach %3 verschoben.</translation>
    </message>
    <message>
        <source>%1 found, sizes total %2</source>
        <translation>%1 gefunden, Größen zusammen %2</translation>
    </message>
    <message>
        <source>%1 ticked, sizes total %2</source>
        <translation>%1 markiert, Größen zusammen %2</translation>
    </message>
    <message>
        <source>1 folder</source>
        <comment>after a preposition</comment>
        <translation>1 Ordner</translation>
    </message>
    <message>
        <source>%1 folders</source>
        <comment>after a preposition</comment>
        <translation>%1 Ordnern</translation>
    </message>
    <message>
        <source>1 file</source>
        <comment>after a preposition</comment>
        <translation>1 Datei</translation>
    </message>
    <message>
        <source>%1 files</source>
        <comment>after a preposition</comment>
        <translation>%1 Dateien</translation>
    </message>
    <message>
        <source>leaving out 1 folder pattern</source>
        <translation>1 Ordnermuster ausgelassen</translation>
    </message>
    <message>
        <source>leaving out %1 folder patterns</source>
        <translation>%1 Ordnermuster ausgelassen</translation>
    </message>
    <message>
        <source>staying on each listed folder&apos;s file system</source>
        <translation>im Dateisystem jedes aufgeführten Ordners</translation>
    </message>
    <message>
        <source>only files named %1</source>
        <translation>nur Dateien namens %1</translation>
    </message>
    <message>
        <source>only files of %1 to %2</source>
        <translation>nur Dateien von %1 bis %2</translation>
    </message>
    <message>
        <source>only files of %1 or more</source>
        <translation>nur Dateien ab %1</translation>
    </message>
    <message>
        <source>only files of %1 or less</source>
        <translation>nur Dateien bis %1</translation>
    </message>
    <message>
        <source>%1 is mounted noatime: access dates there do not change when files are read, so a file used every day can look unused</source>
        <translation>%1 ist mit noatime eingehängt: Zugriffsdaten ändern sich dort nicht, wenn Dateien gelesen werden, daher kann eine täglich genutzte Datei ungenutzt erscheinen</translation>
    </message>
    <message>
        <source>%1 is a FUSE mount: its access dates come from the program behind it and may not change when files are read</source>
        <translation>%1 ist ein FUSE-Einhängepunkt: seine Zugriffsdaten kommen von dem Programm dahinter und ändern sich womöglich nicht, wenn Dateien gelesen werden</translation>
    </message>
    <message>
        <source>1 file left out: its file system keeps no creation date</source>
        <translation>1 Datei ausgelassen: ihr Dateisystem führt kein Erstellungsdatum</translation>
    </message>
    <message>
        <source>1 file left out: its file system keeps no such date</source>
        <translation>1 Datei ausgelassen: ihr Dateisystem führt kein solches Datum</translation>
    </message>
    <message>
        <source>%1 files left out: their file system keeps no creation date</source>
        <translation>%1 Dateien ausgelassen: ihr Dateisystem führt kein Erstellungsdatum</translation>
    </message>
    <message>
        <source>%1 files left out: their file system keeps no such date</source>
        <translation>%1 Dateien ausgelassen: ihr Dateisystem führt kein solches Datum</translation>
    </message>
    <message>
        <source>1 file or folder left out: its name is not valid UTF-8</source>
        <translation>1 Datei oder Ordner ausgelassen: der Name ist kein gültiges UTF-8</translation>
    </message>
    <message>
        <source>%1 files and folders left out: their names are not valid UTF-8</source>
        <translation>%1 Dateien und Ordner ausgelassen: ihre Namen sind kein gültiges UTF-8</translation>
    </message>
    <message>
        <source>Filters on: %1</source>
        <translation>Filter aktiv: %1</translation>
    </message>
    <message>
        <source>leaving out folders: %1</source>
        <translation>ausgelassene Ordner: %1</translation>
    </message>
    <message>
        <source>Filters on:</source>
        <translation>Filter aktiv:</translation>
    </message>
</context>
<context>
    <name>qm::Trash</name>
    <message>
        <source>Cannot create the trash folder %1: %2</source>
        <translation>Der Papierkorbordner %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The trash folder %1 is not a folder</source>
        <translation>Der Papierkorbordner %1 ist kein Ordner</translation>
    </message>
    <message>
        <source>Cannot create the folder %1: %2</source>
        <translation>Der Ordner %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>no free name left in the trash folder %1</source>
        <translation>kein freier Name mehr im Papierkorbordner %1</translation>
    </message>
    <message>
        <source>it has no name</source>
        <translation>sie hat keinen Namen</translation>
    </message>
    <message>
        <source>this folder cannot be moved to the trash</source>
        <translation>dieser Ordner kann nicht in den Papierkorb verschoben werden</translation>
    </message>
    <message>
        <source>the trash cannot be used: %1</source>
        <translation>der Papierkorb ist nicht nutzbar: %1</translation>
    </message>
    <message>
        <source>it is in the trash already</source>
        <translation>sie ist bereits im Papierkorb</translation>
    </message>
    <message>
        <source>this folder holds the trash itself</source>
        <translation>dieser Ordner enthält den Papierkorb selbst</translation>
    </message>
    <message>
        <source>no trash on this disk can take it</source>
        <translation>kein Papierkorb auf diesem Datenträger kann sie aufnehmen</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a folder of this user</source>
        <translation>%1 ist kein Ordner dieses Benutzers</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>no trash on this disk can take it: %1</source>
        <translation>kein Papierkorb auf diesem Datenträger kann sie aufnehmen: %1</translation>
    </message>
</context>
<context>
    <name>qm::Undo</name>
    <message>
        <source>it changed in the trash</source>
        <translation>sie wurde im Papierkorb geändert</translation>
    </message>
    <message>
        <source>it changed since it was moved</source>
        <translation>sie wurde seit dem Verschieben geändert</translation>
    </message>
    <message>
        <source>it is no longer in the trash</source>
        <translation>sie ist nicht mehr im Papierkorb</translation>
    </message>
    <message>
        <source>it is no longer in the folder it was moved to</source>
        <translation>sie ist nicht mehr in dem Ordner, in den sie verschoben wurde</translation>
    </message>
    <message>
        <source>its place is taken by another file</source>
        <translation>an ihrem Platz liegt eine andere Datei</translation>
    </message>
    <message>
        <source>the folder it came from is gone</source>
        <translation>der Ordner, aus dem sie kam, ist fort</translation>
    </message>
    <message>
        <source>a copy of it is back in its place, but it could not be removed from %1: %2</source>
        <translation>eine Kopie von ihr liegt wieder an ihrem Platz, sie konnte aber nicht aus %1 entfernt werden: %2</translation>
    </message>
</context>
<context>
    <name>qm::WholeFile</name>
    <message>
        <source>a file</source>
        <translation>eine Datei</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a FIFO</source>
        <translation>eine benannte Pipe (FIFO)</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>a link</source>
        <translation>eine symbolische Verknüpfung</translation>
    </message>
</context>
<context>
    <name>qm::WindowState</name>
    <message>
        <source>The window&apos;s state file %1 is %2, not a file</source>
        <translation>Die Zustandsdatei des Fensters %1 ist %2, keine Datei</translation>
    </message>
    <message>
        <source>The window&apos;s state file %1 is too large (%2)</source>
        <translation>Die Zustandsdatei des Fensters %1 ist zu groß (%2)</translation>
    </message>
    <message>
        <source>The window&apos;s state file %1 cannot be read: %2</source>
        <translation>Die Zustandsdatei des Fensters %1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
</TS>
