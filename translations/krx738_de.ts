<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Controls</name>
    <message>
        <source>!! Error Nr.: %1 occurred </source>
        <translation>!! Fehler Nr.: %1 aufgetreten </translation>
    </message>
    <message>
        <source>Connection to the KRX 738 interrupted. Program is terminated.</source>
        <translation>Verbindung zum KRX 738 unterbrochen. Das Programm wird beendet.</translation>
    </message>
    <message>
        <source>Simulated meter – not a measurement</source>
        <translation>Simuliertes Messgerät – keine Messung</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>&amp;File…</source>
        <translation>&amp;Ablegen…</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>These characters are not in the file&apos;s character set (Windows-1252) and were written as &quot;?&quot;: %1</source>
        <translation>Diese Zeichen gibt es im Zeichensatz der Datei (Windows-1252) nicht; sie wurden als „?“ geschrieben: %1</translation>
    </message>
    <message>
        <source>Save successfully!</source>
        <translation>Erfolgreich gespeichert!</translation>
    </message>
</context>
<context>
    <name>FiguresPanel</name>
    <message>
        <source>at 40 °C</source>
        <translation>bei 40 °C</translation>
    </message>
    <message>
        <source>at 20 °C</source>
        <translation>bei 20 °C</translation>
    </message>
    <message>
        <source>R 1 min</source>
        <translation>R 1 min</translation>
    </message>
    <message>
        <source>R 10 min</source>
        <translation>R 10 min</translation>
    </message>
    <message>
        <source>DAR 60 s/15 s</source>
        <translation>DAR 60 s/15 s</translation>
    </message>
    <message>
        <source>DAR 60 s/30 s</source>
        <translation>DAR 60 s/30 s</translation>
    </message>
    <message>
        <source>PI 10 min/1 min</source>
        <translation>PI 10 min/1 min</translation>
    </message>
    <message>
        <source>Nameplate: %1</source>
        <translation>Typenschild: %1</translation>
    </message>
    <message>
        <source>Cannot write the settings file %1 (%2). The choice holds until the program ends but is not remembered for the next start.</source>
        <translation>Die Einstellungsdatei %1 kann nicht geschrieben werden (%2). Die Wahl gilt bis zum Programmende, wird aber beim nächsten Start nicht mehr bekannt sein.</translation>
    </message>
    <message>
        <source>not known</source>
        <translation>nicht bekannt</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>nicht gesetzt</translation>
    </message>
    <message>
        <source>Asset</source>
        <translation>Prüfling</translation>
    </message>
    <message>
        <source>Rated V</source>
        <translation>Nenn-V</translation>
    </message>
    <message>
        <source>Winding</source>
        <translation>Wicklung</translation>
    </message>
    <message>
        <source>Insulation class</source>
        <translation>Isolierstoffklasse</translation>
    </message>
    <message>
        <source>Winding °C</source>
        <translation>Wicklung °C</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a winding temperature: type a number of °C from -50 to 250, or leave the field empty for the air temperature at the meter.</source>
        <translation>„%1“ ist keine Wicklungstemperatur: Geben Sie eine Zahl in °C von -50 bis 250 ein, oder lassen Sie das Feld leer für die Lufttemperatur am Messgerät.</translation>
    </message>
    <message>
        <source>Winding temperature not valid: nothing corrected</source>
        <translation>Wicklungstemperatur ungültig: nichts korrigiert</translation>
    </message>
    <message>
        <source>%1: %2
Source: %3</source>
        <translation>%1: %2
Quelle: %3</translation>
    </message>
    <message>
        <source>Minimum IR</source>
        <translation>Mindest-Isolationswiderstand</translation>
    </message>
    <message>
        <source>Step-voltage test</source>
        <translation>Stufenspannungsprüfung</translation>
    </message>
    <message>
        <source>Verdict: %1</source>
        <translation>Bewertung: %1</translation>
    </message>
    <message>
        <source>Source: %1</source>
        <translation>Quelle: %1</translation>
    </message>
    <message>
        <source>no rule applies</source>
        <translation>keine Regel anwendbar</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Stufe</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Spannung</translation>
    </message>
    <message>
        <source>R at 40 °C</source>
        <translation>R bei 40 °C</translation>
    </message>
    <message>
        <source>%1, %2 s each</source>
        <translation>%1, je %2 s</translation>
    </message>
    <message>
        <source> from %1 V to %2 V</source>
        <translation> von %1 V bis %2 V</translation>
    </message>
    <message>
        <source>Change%1: %2</source>
        <translation>Änderung%1: %2</translation>
    </message>
    <message>
        <source>measured</source>
        <translation>gemessen</translation>
    </message>
    <message>
        <source>air temperature at the meter</source>
        <translation>Lufttemperatur am Messgerät</translation>
    </message>
    <message>
        <source>rotating machine</source>
        <translation>elektrische Maschine</translation>
    </message>
    <message>
        <source>transformer</source>
        <translation>Transformator</translation>
    </message>
    <message>
        <source>cable</source>
        <translation>Kabel</translation>
    </message>
    <message>
        <source>other</source>
        <translation>sonstiges</translation>
    </message>
    <message>
        <source>form-wound, after about 1970 (100 MΩ; 5 MΩ rated below 1 kV)</source>
        <translation>Formspulenwicklung, ab etwa 1970 (100 MΩ; 5 MΩ bei Bemessung unter 1 kV)</translation>
    </message>
    <message>
        <source>random-wound, or a dc armature (5 MΩ; dc armatures since IEEE 43-2013)</source>
        <translation>Träufelwicklung oder Gleichstromanker (5 MΩ; Gleichstromanker seit IEEE 43-2013)</translation>
    </message>
    <message>
        <source>before about 1970, field winding, or not known (kV + 1 MΩ)</source>
        <translation>vor etwa 1970, Feldwicklung, oder unbekannt (kV + 1 MΩ)</translation>
    </message>
</context>
<context>
    <name>FileTestDialog</name>
    <message>
        <source>File test</source>
        <translation>Prüfung ablegen</translation>
    </message>
    <message>
        <source>PI </source>
        <translation>PI </translation>
    </message>
    <message>
        <source>%1 tests, %2 to %3</source>
        <translation>%1 Prüfungen, %2 bis %3</translation>
    </message>
    <message>
        <source>This record was read out of the simulated meter</source>
        <translation>Dieser Datensatz wurde aus dem simulierten Messgerät ausgelesen</translation>
    </message>
    <message>
        <source>These %1 records were read out of the simulated meter</source>
        <translation>Diese %1 Datensätze wurden aus dem simulierten Messgerät ausgelesen</translation>
    </message>
    <message>
        <source>This test comes from the simulated meter</source>
        <translation>Diese Prüfung stammt vom simulierten Messgerät</translation>
    </message>
    <message>
        <source>These %1 tests come from the simulated meter</source>
        <translation>Diese %1 Prüfungen stammen vom simulierten Messgerät</translation>
    </message>
    <message>
        <source>, not a real one. File it into the test history anyway? It will be marked as simulated.</source>
        <translation>, nicht von einem echten. Trotzdem in der Prüfhistorie ablegen? Der Eintrag wird als simuliert gekennzeichnet.</translation>
    </message>
    <message>
        <source>, not a real one. File them into the test history anyway? They will be marked as simulated.</source>
        <translation>, nicht von einem echten. Trotzdem in der Prüfhistorie ablegen? Die Einträge werden als simuliert gekennzeichnet.</translation>
    </message>
    <message>
        <source>The history database cannot be opened: %1 The test will be kept on this computer and sent when the database can be opened.</source>
        <translation>Die Datenbank der Prüfhistorie lässt sich nicht öffnen: %1 Die Prüfung bleibt auf diesem Rechner und wird übertragen, sobald die Datenbank geöffnet werden kann.</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Ablegen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a rated voltage: type the winding&apos;s rated voltage in volts, or leave the field empty.</source>
        <translation>„%1“ ist keine Bemessungsspannung: Geben Sie die Bemessungsspannung der Wicklung in Volt ein, oder lassen Sie das Feld leer.</translation>
    </message>
    <message>
        <source>Minimum IR: %1</source>
        <translation>Mindest-Isolationswiderstand: %1</translation>
    </message>
    <message>
        <source>PI: %1</source>
        <translation>PI: %1</translation>
    </message>
    <message>
        <source>DAR: %1</source>
        <translation>DAR: %1</translation>
    </message>
    <message>
        <source>For the PI verdict: IEEE 43-2013 asks 1.5 for class A, 2.0 for B, F and H</source>
        <translation>Für die PI-Bewertung: IEEE 43-2013 verlangt 1,5 für Klasse A, 2,0 für B, F und H</translation>
    </message>
    <message>
        <source>Asset id:</source>
        <translation>Prüflings-ID:</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Standort:</translation>
    </message>
    <message>
        <source>Insulation class:</source>
        <translation>Isolierstoffklasse:</translation>
    </message>
    <message>
        <source>Operator:</source>
        <translation>Prüfer:</translation>
    </message>
    <message>
        <source>Comment:</source>
        <translation>Kommentar:</translation>
    </message>
    <message>
        <source>Type the id of the asset the test belongs to.</source>
        <translation>Geben Sie die ID des Prüflings ein, zu dem die Prüfung gehört.</translation>
    </message>
    <message>
        <source>

The asset&apos;s name, location, kind, class and nameplate are saved with the next test filed under it once the database can be opened.</source>
        <translation>

Name, Standort, Art, Klasse und Typenschild des Prüflings werden mit der nächsten unter ihm abgelegten Prüfung gespeichert, sobald die Datenbank geöffnet werden kann.</translation>
    </message>
    <message>
        <source>

The asset&apos;s name, location, kind, class and nameplate could not be saved: </source>
        <translation>

Name, Standort, Art, Klasse und Typenschild des Prüflings konnten nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>The test was filed under &quot;%1&quot;.</source>
        <translation>Die Prüfung wurde unter „%1“ abgelegt.</translation>
    </message>
    <message>
        <source>%n tests were filed under &quot;%1&quot;.</source>
        <translation>%n Prüfungen wurden unter „%1“ abgelegt.</translation>
    </message>
    <message>
        <source>One record was filed before; it was not added again.</source>
        <translation>Ein Datensatz war schon abgelegt; er wurde nicht erneut hinzugefügt.</translation>
    </message>
    <message>
        <source>%n records were filed before; they were not added again.</source>
        <translation>%n Datensätze waren schon abgelegt; sie wurden nicht erneut hinzugefügt.</translation>
    </message>
    <message>
        <source>The database did not take the test: %1 It is kept on this computer and will be sent when the database can be opened.</source>
        <translation>Die Datenbank hat die Prüfung nicht angenommen: %1 Sie bleibt auf diesem Rechner und wird übertragen, sobald die Datenbank geöffnet werden kann.</translation>
    </message>
    <message>
        <source>The database did not take %n tests: %1 They are kept on this computer and will be sent when the database can be opened.</source>
        <translation>Die Datenbank hat %n Prüfungen nicht angenommen: %1 Sie bleiben auf diesem Rechner und werden übertragen, sobald die Datenbank geöffnet werden kann.</translation>
    </message>
    <message>
        <source>The test was not filed: %1</source>
        <translation>Die Prüfung wurde nicht abgelegt: %1</translation>
    </message>
    <message>
        <source>%n tests were not filed: %1</source>
        <translation>%n Prüfungen wurden nicht abgelegt: %1</translation>
    </message>
</context>
<context>
    <name>HistoryReport</name>
    <message>
        <source>ESD and material test history</source>
        <translation>ESD- und Materialprüfungen: Historie</translation>
    </message>
    <message>
        <source>ESD and material test history of </source>
        <translation>ESD- und Materialprüfungen: Historie von </translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>1 test</source>
        <translation>1 Prüfung</translation>
    </message>
    <message>
        <source>%1 tests</source>
        <translation>%1 Prüfungen</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>usual voltage %1 V</source>
        <translation>übliche Spannung %1 V</translation>
    </message>
    <message>
        <source>median temperature %1 °C</source>
        <translation>Median der Temperatur %1 °C</translation>
    </message>
    <message>
        <source>R @ 40 °C: the 1-minute resistance corrected to 40 °C (IEEE 43-2013).</source>
        <translation>R bei 40 °C: der 1-Minuten-Widerstand, auf 40 °C korrigiert (IEEE 43-2013).</translation>
    </message>
    <message>
        <source>1 more test on the next page.</source>
        <translation>1 weitere Prüfung auf der nächsten Seite.</translation>
    </message>
    <message>
        <source>%1 more tests on the next pages.</source>
        <translation>%1 weitere Prüfungen auf den nächsten Seiten.</translation>
    </message>
    <message>
        <source>Insulation history</source>
        <translation>Isolationshistorie</translation>
    </message>
    <message>
        <source>. Made </source>
        <translation>. Erstellt </translation>
    </message>
    <message>
        <source>Insulation history of </source>
        <translation>Isolationshistorie von </translation>
    </message>
    <message>
        <source>the PDF could not be started</source>
        <translation>das PDF konnte nicht begonnen werden</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Spannung</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation>Luftfeuchte</translation>
    </message>
    <message>
        <source>R 1 min</source>
        <translation>R 1 min</translation>
    </message>
    <message>
        <source>R 1 min @ 40 °C</source>
        <translation>R 1 min bei 40 °C</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Messwert</translation>
    </message>
    <message>
        <source>Verdicts</source>
        <translation>Bewertungen</translation>
    </message>
    <message>
        <source>Conditions</source>
        <translation>Bedingungen</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Prüfer</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Hinweise</translation>
    </message>
    <message>
        <source> (simulated)</source>
        <translation> (simuliert)</translation>
    </message>
    <message>
        <source>no reason was given.</source>
        <translation>es wurde kein Grund genannt.</translation>
    </message>
    <message>
        <source>class </source>
        <translation>Klasse </translation>
    </message>
    <message>
        <source>

These characters are not in the file&apos;s character set (Windows-1252) and were written as &quot;?&quot;: </source>
        <translation>

Diese Zeichen gibt es im Zeichensatz der Datei (Windows-1252) nicht; sie wurden als „?“ geschrieben: </translation>
    </message>
    <message>
        <source>Test history</source>
        <translation>Prüfhistorie</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>CSV exportieren…</translation>
    </message>
    <message>
        <source>UTF-8, &quot;,&quot; separators, for scripts</source>
        <translation>UTF-8, Trennzeichen „,“, für Skripte</translation>
    </message>
    <message>
        <source>Export for spreadsheet…</source>
        <translation>Für Tabellenkalkulation exportieren…</translation>
    </message>
    <message>
        <source>Windows-1252, &quot;;&quot; separators, as the other export files</source>
        <translation>Windows-1252, Trennzeichen „;“, wie die übrigen Exportdateien</translation>
    </message>
    <message>
        <source>PDF report…</source>
        <translation>PDF-Bericht…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Search id, name, location</source>
        <translation>ID, Name, Standort suchen</translation>
    </message>
    <message>
        <source>Assets</source>
        <translation>Prüflinge</translation>
    </message>
    <message>
        <source>Double-click or Return opens a test</source>
        <translation>Doppelklick oder Eingabetaste öffnet eine Prüfung</translation>
    </message>
    <message>
        <source>The history database cannot be opened: %1 Measuring and the spreadsheet files are not affected.</source>
        <translation>Die Datenbank der Prüfhistorie lässt sich nicht öffnen: %1 Messen und die Tabellendateien sind davon nicht betroffen.</translation>
    </message>
    <message>
        <source>The assets could not be read: </source>
        <translation>Die Prüflinge konnten nicht gelesen werden: </translation>
    </message>
    <message>
        <source>The tests of &quot;%1&quot; could not be read: %2</source>
        <translation>Die Prüfungen von „%1“ konnten nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>No asset chosen</source>
        <translation>Kein Prüfling gewählt</translation>
    </message>
    <message>
        <source>The test could not be read: </source>
        <translation>Die Prüfung konnte nicht gelesen werden: </translation>
    </message>
    <message>
        <source>&quot;%1&quot; exists. Replace it?</source>
        <translation>„%1“ existiert bereits. Ersetzen?</translation>
    </message>
    <message>
        <source>Export history for spreadsheets</source>
        <translation>Historie für Tabellenkalkulation exportieren</translation>
    </message>
    <message>
        <source>Export history as CSV</source>
        <translation>Historie als CSV exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>CSV-Dateien (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The history of &quot;%1&quot; could not be read: %2 Nothing was exported.</source>
        <translation>Die Historie von „%1“ konnte nicht gelesen werden: %2 Es wurde nichts exportiert.</translation>
    </message>
    <message>
        <source>Could not write &quot;%1&quot; (%2). The history was not exported.</source>
        <translation>„%1“ konnte nicht geschrieben werden (%2). Die Historie wurde nicht exportiert.</translation>
    </message>
    <message>
        <source>The history of &quot;%1&quot; was exported to &quot;%2&quot;.</source>
        <translation>Die Historie von „%1“ wurde nach „%2“ exportiert.</translation>
    </message>
    <message>
        <source>History report</source>
        <translation>Historienbericht</translation>
    </message>
    <message>
        <source>PDF files (*.pdf);;All files (*)</source>
        <translation>PDF-Dateien (*.pdf);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Could not write &quot;%1&quot; (%2). The report was not saved.</source>
        <translation>„%1“ konnte nicht geschrieben werden (%2). Der Bericht wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>The report on &quot;%1&quot; was saved as &quot;%2&quot;.</source>
        <translation>Der Bericht über „%1“ wurde als „%2“ gespeichert.</translation>
    </message>
    <message>
        <source>not set: no nameplate</source>
        <translation>nicht gesetzt: kein Typenschild</translation>
    </message>
    <message>
        <source>V, line to line</source>
        <translation>V, Leiter–Leiter</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>nicht gesetzt</translation>
    </message>
    <message>
        <source>Kind:</source>
        <translation>Art:</translation>
    </message>
    <message>
        <source>Rated voltage:</source>
        <translation>Bemessungsspannung:</translation>
    </message>
    <message>
        <source>Winding:</source>
        <translation>Wicklung:</translation>
    </message>
    <message>
        <source>insulation class </source>
        <translation>Isolierstoffklasse </translation>
    </message>
    <message>
        <source>Corrected from %1 °C, as filed</source>
        <translation>Korrigiert von %1 °C, wie abgelegt</translation>
    </message>
    <message>
        <source>No temperature was filed: nothing corrected</source>
        <translation>Keine Temperatur abgelegt: nichts korrigiert</translation>
    </message>
    <message>
        <source>Nameplate: %1</source>
        <translation>Typenschild: %1</translation>
    </message>
    <message>
        <source>none filed</source>
        <translation>keine abgelegt</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperatur</translation>
    </message>
    <message>
        <source>Nameplate</source>
        <translation>Typenschild</translation>
    </message>
    <message>
        <source>Minimum IR</source>
        <translation>Mindest-Isolationswiderstand</translation>
    </message>
    <message>
        <source>
Source: </source>
        <translation>
Quelle: </translation>
    </message>
    <message>
        <source>no rule applies</source>
        <translation>keine Regel anwendbar</translation>
    </message>
    <message>
        <source>Correction</source>
        <translation>Korrektur</translation>
    </message>
    <message>
        <source>&amp;Report…</source>
        <translation>&amp;Bericht…</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>The report was saved as &quot;%1&quot;.</source>
        <translation>Der Bericht wurde als „%1“ gespeichert.</translation>
    </message>
    <message>
        <source>R 1 min @ 40 °C: %1</source>
        <translation>R 1 min bei 40 °C: %1</translation>
    </message>
    <message>
        <source>PI: %1</source>
        <translation>PI: %1</translation>
    </message>
    <message>
        <source>DAR: %1</source>
        <translation>DAR: %1</translation>
    </message>
    <message>
        <source>Step change: %1 %</source>
        <translation>Stufenänderung: %1 %</translation>
    </message>
    <message>
        <source>Marked: %1</source>
        <translation>Markiert: %1</translation>
    </message>
    <message>
        <source>, voltage not known</source>
        <translation>, Spannung nicht bekannt</translation>
    </message>
    <message>
        <source>PI, DAR</source>
        <translation>PI, DAR</translation>
    </message>
    <message>
        <source>No tests with a 1-minute resistance, PI or DAR to draw</source>
        <translation>Keine Prüfungen mit 1-Minuten-Widerstand, PI oder DAR zum Zeichnen</translation>
    </message>
    <message>
        <source>tested at %1 V, usually %2 V</source>
        <translation>geprüft mit %1 V, üblich %2 V</translation>
    </message>
    <message>
        <source>%1 °C, %2 °C from the usual %3 °C</source>
        <translation>%1 °C, %2 °C abweichend von den üblichen %3 °C</translation>
    </message>
    <message>
        <source>Marked: a voltage other than the asset&apos;s usual one, or a temperature more than %1 °C from its median; compare such tests with care.</source>
        <translation>Markiert: eine andere als die übliche Spannung des Prüflings oder eine Temperatur mehr als %1 °C vom Median entfernt; solche Prüfungen nur mit Vorsicht vergleichen.</translation>
    </message>
    <message>
        <source>Verdicts after:</source>
        <translation>Bewertungen nach:</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Mainform</source>
        <translation>Hauptfenster</translation>
    </message>
    <message>
        <source>Measuring</source>
        <translation>Messen</translation>
    </message>
    <message>
        <source>Measuring with timer</source>
        <translation>Messen mit Timer</translation>
    </message>
    <message>
        <source>SamplingTime=%1 in the settings file is not a sampling time (0 to %2 ms); the measurement reads every 1000 ms.</source>
        <translation>SamplingTime=%1 in der Einstellungsdatei ist kein Abtastintervall (0 bis %2 ms); die Messung liest alle 1000 ms.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Init</source>
        <translation>&amp;Init</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Historie…</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Sw. Version  :</source>
        <translation>SW-Version   :</translation>
    </message>
    <message>
        <source>Serial No. : </source>
        <translation>Serien-Nr. : </translation>
    </message>
    <message>
        <source>Date           :</source>
        <translation>Datum          :</translation>
    </message>
    <message>
        <source>Time  : </source>
        <translation>Zeit  : </translation>
    </message>
    <message>
        <source>Battery       :</source>
        <translation>Batterie      :</translation>
    </message>
    <message>
        <source>&amp;Measuring</source>
        <translation>&amp;Messen</translation>
    </message>
    <message>
        <source>Measuring with &amp;timer</source>
        <translation>Messen mit &amp;Timer</translation>
    </message>
    <message>
        <source>&amp;Special function</source>
        <translation>&amp;Sonderfunktionen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>! Empty !</source>
        <translation>! Leer !</translation>
    </message>
    <message>
        <source>%1 read out program %2 Version : %3</source>
        <translation>%1 Ausleseprogramm %2 Version : %3</translation>
    </message>
</context>
<context>
    <name>MeasurementWindow</name>
    <message>
        <source> Sec</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Measuring voltage : </source>
        <translation>Messspannung : </translation>
    </message>
    <message>
        <source>No reading to save yet: start a measurement first.</source>
        <translation>Noch kein Messwert zum Speichern: Starten Sie zuerst eine Messung.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Input dialog</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Input comment to the measurement</source>
        <translation>Kommentar zur Messung eingeben</translation>
    </message>
    <message>
        <source>Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*</source>
        <translation>Kommagetrennte Werte (*.CSV)|*.CSV|Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>Can&apos;t create file : %1</source>
        <translation>Datei kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot; for writing%2. The reading was not saved.</source>
        <translation>Die Datei „%1“ kann nicht zum Schreiben geöffnet werden%2. Der Messwert wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>Could not write the new file &quot;%1&quot;%2. The reading was not saved.</source>
        <translation>Die neue Datei „%1“ konnte nicht geschrieben werden%2. Der Messwert wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>Could not write to file &quot;%1&quot;%2. The reading was not saved.</source>
        <translation>In die Datei „%1“ konnte nicht geschrieben werden%2. Der Messwert wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>&amp;File test…</source>
        <translation>Prüfung &amp;ablegen…</translation>
    </message>
    <message>
        <source>&amp;Open recording…</source>
        <translation>Ö&amp;ffnen…</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Select voltage function</source>
        <translation>Spannungsfunktion</translation>
    </message>
    <message>
        <source>Manuell</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Measurement voltage</source>
        <translation>Messspannung</translation>
    </message>
    <message>
        <source>Measurement display</source>
        <translation>Messwertanzeige</translation>
    </message>
    <message>
        <source>Technical</source>
        <translation>Technisch</translation>
    </message>
    <message>
        <source>Exponent</source>
        <translation>Exponent</translation>
    </message>
    <message>
        <source>Measuring</source>
        <translation>Messen</translation>
    </message>
    <message>
        <source>Temperature :</source>
        <translation>Temperatur :</translation>
    </message>
    <message>
        <source>Humidity :</source>
        <translation>Rel. Feuchte :</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>&amp;Break</source>
        <translation>Ab&amp;bruch</translation>
    </message>
    <message>
        <source>S&amp;ave</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Bac&amp;k</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>Resistance value</source>
        <translation>Widerstandswert</translation>
    </message>
    <message>
        <source>Rest time</source>
        <translation>Restzeit</translation>
    </message>
    <message>
        <source>0 Sec</source>
        <translation>0 s</translation>
    </message>
    <message>
        <source>Measuring voltage :</source>
        <translation>Messspannung :</translation>
    </message>
    <message>
        <source>Sample time :</source>
        <translation>Abtastzeit :</translation>
    </message>
    <message>
        <source>Set Timer</source>
        <translation>Timer einstellen</translation>
    </message>
    <message>
        <source>Timer seconds</source>
        <translation>Timer-Sekunden</translation>
    </message>
    <message>
        <source>Calculation</source>
        <translation>Berechnung</translation>
    </message>
    <message>
        <source>A&amp;verage</source>
        <translation>&amp;Mittelwert</translation>
    </message>
    <message>
        <source>&amp;Lapse</source>
        <translation>&amp;Verlauf</translation>
    </message>
    <message>
        <source>Measuring KRX 738</source>
        <translation>Messen KRX 738</translation>
    </message>
    <message>
        <source>Measuring KRX 738 – simulated meter</source>
        <translation>Messen KRX 738 – simuliertes Messgerät</translation>
    </message>
    <message>
        <source>phase %1: %2 V</source>
        <translation>Phase %1: %2 V</translation>
    </message>
    <message>
        <source>The test cannot start: %1.</source>
        <translation>Die Prüfung kann nicht beginnen: %1.</translation>
    </message>
    <message>
        <source>ended by Break</source>
        <translation>durch Abbruch beendet</translation>
    </message>
    <message>
        <source>Method</source>
        <translation>Verfahren</translation>
    </message>
    <message>
        <source>Rtg (to ground)</source>
        <translation>Rtg (gegen Erde)</translation>
    </message>
    <message>
        <source>Rtg</source>
        <translation>Rtg</translation>
    </message>
    <message>
        <source>Rtt (point to point)</source>
        <translation>Rtt (Punkt zu Punkt)</translation>
    </message>
    <message>
        <source>Rtt</source>
        <translation>Rtt</translation>
    </message>
    <message>
        <source>Qualification</source>
        <translation>Qualifizierung</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Messung</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Grenzen</translation>
    </message>
    <message>
        <source>Gap</source>
        <translation>Spalt</translation>
    </message>
    <message>
        <source>Thickness</source>
        <translation>Dicke</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Spannung</translation>
    </message>
    <message>
        <source>Reading at</source>
        <translation>Messzeit</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a size in mm</source>
        <translation>„%1“ ist keine Größe in mm</translation>
    </message>
    <message>
        <source>Method: </source>
        <translation>Verfahren: </translation>
    </message>
    <message>
        <source>Open recording</source>
        <translation>Aufzeichnung öffnen</translation>
    </message>
    <message>
        <source>Recordings (*.csv);;All files (*)</source>
        <translation>Aufzeichnungen (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The last test is not filed in the test history. File it before %1 is shown?

Discard: it can no longer be filed from this window; its recording stays where it is.</source>
        <translation>Die letzte Prüfung ist nicht in der Prüfhistorie abgelegt. Vor dem Anzeigen von %1 ablegen?

Verwerfen: Sie kann aus diesem Fenster nicht mehr abgelegt werden; ihre Aufzeichnung bleibt, wo sie ist.</translation>
    </message>
    <message>
        <source>Cannot open %1 as a recording.%2
Nothing shown was changed.</source>
        <translation>%1 lässt sich nicht als Aufzeichnung öffnen.%2
An der Anzeige wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Simulated meter</source>
        <translation>Simuliertes Messgerät</translation>
    </message>
    <message>
        <source>This recording was made with the simulated meter: it is not a measurement.</source>
        <translation>Diese Aufzeichnung stammt vom simulierten Messgerät: Sie ist keine Messung.</translation>
    </message>
    <message>
        <source>all %1 steps done</source>
        <translation>alle %1 Stufen durchlaufen</translation>
    </message>
    <message>
        <source>ended by Break after %1 of %2 steps</source>
        <translation>durch Abbruch beendet nach %1 von %2 Stufen</translation>
    </message>
    <message>
        <source>no stable voltage in step %1; %2 of %3 steps kept</source>
        <translation>keine stabile Spannung in Stufe %1; %2 von %3 Stufen behalten</translation>
    </message>
    <message>
        <source>the meter did not answer; %1 of %2 steps kept</source>
        <translation>das Messgerät hat nicht geantwortet; %1 von %2 Stufen behalten</translation>
    </message>
    <message>
        <source>the meter was lost</source>
        <translation>die Verbindung zum Messgerät ging verloren</translation>
    </message>
    <message>
        <source>The step-voltage test cannot start: %1.</source>
        <translation>Die Stufenspannungsprüfung kann nicht beginnen: %1.</translation>
    </message>
    <message>
        <source>Step voltage</source>
        <translation>Stufenspannung</translation>
    </message>
    <message>
        <source>Step-voltage test</source>
        <translation>Stufenspannungsprüfung</translation>
    </message>
    <message>
        <source>Step length in seconds</source>
        <translation>Stufendauer in Sekunden</translation>
    </message>
    <message>
        <source>Each step</source>
        <translation>Jede Stufe</translation>
    </message>
    <message>
        <source>Step voltage: </source>
        <translation>Stufenspannung: </translation>
    </message>
    <message>
        <source>%1 Sec</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Wait for stable voltage !</source>
        <translation>Warten auf stabile Spannung !</translation>
    </message>
    <message>
        <source>%1 mSec</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>%1 Sec.</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>step %1 of %2: %3 V</source>
        <translation>Stufe %1 von %2: %3 V</translation>
    </message>
    <message>
        <source>A timer of %1 s gives no R 10 min and no PI (they need 600 s).</source>
        <translation>Ein Timer von %1 s ergibt kein R 10 min und keinen PI (sie brauchen 600 s).</translation>
    </message>
    <message>
        <source>A timer of %1 s gives no R 1 min, R 10 min, DAR or PI (they need 60 s and 600 s).</source>
        <translation>Ein Timer von %1 s ergibt kein R 1 min, R 10 min, DAR oder PI (sie brauchen 60 s und 600 s).</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
</context>
<context>
    <name>MeterInit</name>
    <message>
        <source>The KRX 738 is connected, but this user has no permission to open it.

The udev rule 60-krx738.rules gives the user logged in at this computer access to the meter. The program&apos;s package installs it; after a build from source, copy it from data/udev to /etc/udev/rules.d. Then run

    sudo udevadm control --reload
    sudo udevadm trigger

and press Init again.

For remote or headless use, without a local login, install the example rule
    60-krx738-plugdev.rules
instead and add the user to the group plugdev.</source>
        <translation>Der KRX 738 ist angeschlossen, aber dieser Benutzer darf ihn nicht öffnen.

Die udev-Regel 60-krx738.rules gibt dem an diesem Rechner angemeldeten Benutzer Zugriff auf das Messgerät. Das Paket des Programms installiert sie; nach einem Bau aus den Quellen kopieren Sie sie aus data/udev nach /etc/udev/rules.d. Dann führen Sie

    sudo udevadm control --reload
    sudo udevadm trigger

aus und drücken erneut Init.

Für Fern- oder Betrieb ohne Bildschirm, ohne lokale Anmeldung, installieren Sie stattdessen die Beispielregel
    60-krx738-plugdev.rules
und nehmen den Benutzer in die Gruppe plugdev auf.</translation>
    </message>
    <message>
        <source>!! No access to the device !!</source>
        <translation>!! Kein Zugriff auf das Gerät !!</translation>
    </message>
    <message>
        <source>Please check if the device is switched on!</source>
        <translation>Bitte prüfen Sie, ob das Gerät eingeschaltet ist!</translation>
    </message>
    <message>
        <source>!! No device found !!</source>
        <translation>!! Kein Gerät gefunden !!</translation>
    </message>
    <message>
        <source>The KRX 738 did not answer the status request.</source>
        <translation>Der KRX 738 hat auf die Statusabfrage nicht geantwortet.</translation>
    </message>
    <message>
        <source>meter %1 is not attached (attached: %2)</source>
        <translation>Messgerät %1 ist nicht angeschlossen (angeschlossen: %2)</translation>
    </message>
    <message>
        <source>%1   software %2   %3</source>
        <translation>%1   Software %2   %3</translation>
    </message>
    <message>
        <source>Several KRX 738 are attached. Which one should this program work with?</source>
        <translation>Mehrere KRX 738 sind angeschlossen. Mit welchem soll dieses Programm arbeiten?</translation>
    </message>
    <message>
        <source>
Not available: %1</source>
        <translation>
Nicht verfügbar: %1</translation>
    </message>
    <message>
        <source>Choose the meter</source>
        <translation>Messgerät wählen</translation>
    </message>
    <message>
        <source>The choice of meter %1 could not be kept in %2 for the next start:
%3</source>
        <translation>Die Wahl des Messgeräts %1 konnte für den nächsten Start nicht in %2 gespeichert werden:
%3</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>MethodSettings</name>
    <message>
        <source>hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>Conditioned</source>
        <translation>Konditioniert</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a conditioning time in hours</source>
        <translation>„%1“ ist keine Konditionierzeit in Stunden</translation>
    </message>
</context>
<context>
    <name>Procedures</name>
    <message>
        <source>Start Break-Off</source>
        <translation>Start Abriss</translation>
    </message>
    <message>
        <source>Break-Off resistance</source>
        <translation>Abrisswiderstand</translation>
    </message>
    <message>
        <source>Break-Off Measurement in progress !</source>
        <translation>Abrissmessung läuft !</translation>
    </message>
    <message>
        <source>Break-OFF !</source>
        <translation>Abriss !</translation>
    </message>
    <message>
        <source>Wait 5 Sec.</source>
        <translation>5 s warten.</translation>
    </message>
    <message>
        <source>No Break-Down !</source>
        <translation>Kein Durchschlag !</translation>
    </message>
    <message>
        <source>Break-Down !</source>
        <translation>Durchschlag !</translation>
    </message>
    <message>
        <source>Setup timers Break-Down/Break-Off resistance</source>
        <translation>Timer einstellen: Durchschlag-/Abrisswiderstand</translation>
    </message>
    <message>
        <source>Start Break-Down</source>
        <translation>Start Durchschlag</translation>
    </message>
    <message>
        <source>BD Timer (Sec.)</source>
        <translation>DS-Timer (s)</translation>
    </message>
    <message>
        <source>BO Timer (Sec.)</source>
        <translation>AR-Timer (s)</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a timer. Enter whole seconds from 1 to %3.</source>
        <translation>%1: „%2“ ist keine Timerzeit. Geben Sie ganze Sekunden von 1 bis %3 ein.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Break-Down Measurement in progress !</source>
        <translation>Durchschlagmessung läuft !</translation>
    </message>
    <message>
        <source>Start Break-Down Measuring !</source>
        <translation>Durchschlagmessung starten !</translation>
    </message>
    <message>
        <source>No Break-OFF !</source>
        <translation>Kein Abriss !</translation>
    </message>
    <message>
        <source>The KRX 738 does not answer (error %1). The test goes on when it answers again; press Stop to end it. If the meter still shows a test running, stop it at the meter.</source>
        <translation>Der KRX 738 antwortet nicht (Fehler %1). Die Prüfung geht weiter, sobald er wieder antwortet; Stopp beendet sie. Zeigt das Messgerät noch eine laufende Prüfung, beenden Sie sie am Gerät.</translation>
    </message>
    <message>
        <source>The KRX 738 did not take the command (error %1), so the test may not be running at the meter. Press Stop, check the connection and start the test again.</source>
        <translation>Der KRX 738 hat den Befehl nicht angenommen (Fehler %1); die Prüfung läuft am Gerät womöglich nicht. Drücken Sie Stopp, prüfen Sie die Verbindung und starten Sie die Prüfung neu.</translation>
    </message>
    <message>
        <source>The KRX 738 did not answer the status request.</source>
        <translation>Der KRX 738 hat auf die Statusabfrage nicht geantwortet.</translation>
    </message>
    <message>
        <source>Measuring voltage can not be stabilized. Process is aborted!</source>
        <translation>Die Messspannung lässt sich nicht stabilisieren. Der Vorgang wird abgebrochen!</translation>
    </message>
    <message>
        <source>!! No stable voltage !!</source>
        <translation>!! Keine stabile Spannung !!</translation>
    </message>
    <message>
        <source>No records!</source>
        <translation>Keine Datensätze!</translation>
    </message>
    <message>
        <source>The KRX 738 did not mark the end of its memory; the read-out stops here.</source>
        <translation>Der KRX 738 hat das Ende seines Speichers nicht gekennzeichnet; das Auslesen endet hier.</translation>
    </message>
    <message>
        <source>Read-out interrupted !</source>
        <translation>Auslesen unterbrochen !</translation>
    </message>
    <message>
        <source>did not answer (error %1)</source>
        <translation>hat nicht geantwortet (Fehler %1)</translation>
    </message>
    <message>
        <source>sent an incomplete record</source>
        <translation>hat einen unvollständigen Datensatz gesendet</translation>
    </message>
    <message>
        <source>The KRX 738 %1 while its memory was read. The list ends after %2 record(s) and is not the whole memory. Check the connection and read the memory again.</source>
        <translation>Der KRX 738 %1, während sein Speicher gelesen wurde. Die Liste endet nach %2 Datensatz/Datensätzen und ist nicht der ganze Speicher. Prüfen Sie die Verbindung und lesen Sie den Speicher erneut.</translation>
    </message>
    <message>
        <source>Value out of range </source>
        <translation>Wert außerhalb des Bereichs </translation>
    </message>
    <message>
        <source>The KRX 738 did not take the command (error %1). The memory may still hold its records: check the connection and delete again.</source>
        <translation>Der KRX 738 hat den Befehl nicht angenommen (Fehler %1). Der Speicher enthält womöglich noch seine Datensätze: Prüfen Sie die Verbindung und löschen Sie erneut.</translation>
    </message>
    <message>
        <source>Measuring voltage can not be stabilized at %1 V. The test ends.</source>
        <translation>Die Messspannung lässt sich bei %1 V nicht stabilisieren. Die Prüfung endet.</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>not the header of a recording made by this program</source>
        <translation>nicht der Kopf einer Aufzeichnung dieses Programms</translation>
    </message>
    <message>
        <source>cut off (no line end): the file is not complete</source>
        <translation>abgeschnitten (kein Zeilenende): die Datei ist nicht vollständig</translation>
    </message>
    <message>
        <source>not a reading of a recording</source>
        <translation>kein Messwert einer Aufzeichnung</translation>
    </message>
    <message>
        <source>goes back in time</source>
        <translation>geht in der Zeit zurück</translation>
    </message>
    <message>
        <source>the recording holds no reading</source>
        <translation>die Aufzeichnung enthält keinen Messwert</translation>
    </message>
    <message>
        <source>Cannot write the settings file %1 (%2). The folder is not remembered for the next start; the save goes on.</source>
        <translation>Die Einstellungsdatei %1 kann nicht geschrieben werden (%2). Der Ordner wird für den nächsten Start nicht gemerkt; das Speichern geht weiter.</translation>
    </message>
    <message>
        <source>Measuring voltage can not be stabilized at %1 V (step %2 of %3). The step-voltage test ends; the %4 steps done are kept.</source>
        <translation>Die Messspannung lässt sich bei %1 V nicht stabilisieren (Stufe %2 von %3). Die Stufenspannungsprüfung endet; die %4 durchlaufenen Stufen bleiben erhalten.</translation>
    </message>
</context>
<context>
    <name>RecordView</name>
    <message>
        <source>1 min</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>&amp;Report…</source>
        <translation>&amp;Bericht…</translation>
    </message>
    <message>
        <source>&amp;Export recording…</source>
        <translation>&amp;Exportieren…</translation>
    </message>
    <message>
        <source>each step to 40 °C from its mean air temperature at the meter</source>
        <translation>jede Stufe auf 40 °C, ausgehend von ihrer mittleren Lufttemperatur am Messgerät</translation>
    </message>
    <message>
        <source>%1 V end</source>
        <translation>Ende %1 V</translation>
    </message>
    <message>
        <source>none: ESD and material readings are reported as read</source>
        <translation>keine: ESD- und Materialmesswerte werden wie gemessen berichtet</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Comment for the report:</source>
        <translation>Kommentar für den Bericht:</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>Cannot write the report %1.%2
No report was saved.</source>
        <translation>Der Bericht %1 kann nicht geschrieben werden.%2
Es wurde kein Bericht gespeichert.</translation>
    </message>
    <message>
        <source>The report was saved as %1.</source>
        <translation>Der Bericht wurde als %1 gespeichert.</translation>
    </message>
    <message>
        <source>Export recording</source>
        <translation>Aufzeichnung exportieren</translation>
    </message>
    <message>
        <source>Recordings (*.csv);;All files (*)</source>
        <translation>Aufzeichnungen (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Cannot export the recording to %1.%2
The recording itself is kept in %3.</source>
        <translation>Die Aufzeichnung kann nicht nach %1 exportiert werden.%2
Die Aufzeichnung selbst bleibt in %3 erhalten.</translation>
    </message>
    <message>
        <source>The recording was exported to %1.</source>
        <translation>Die Aufzeichnung wurde nach %1 exportiert.</translation>
    </message>
    <message>
        <source>Method</source>
        <translation>Verfahren</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Strompfad</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>Limit</source>
        <translation>Grenzwert</translation>
    </message>
    <message>
        <source>Conditions</source>
        <translation>Bedingungen</translation>
    </message>
    <message>
        <source>Material</source>
        <translation>Material</translation>
    </message>
    <message>
        <source>%1 at %2 V</source>
        <translation>%1 bei %2 V</translation>
    </message>
    <message>
        <source>no limit applied</source>
        <translation>kein Grenzwert angewandt</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>factor %1 given</source>
        <translation>Faktor %1 angegeben</translation>
    </message>
    <message>
        <source>D1 %1 mm</source>
        <translation>D1 %1 mm</translation>
    </message>
    <message>
        <source>D2 %1 mm</source>
        <translation>D2 %1 mm</translation>
    </message>
    <message>
        <source>gap %1 mm</source>
        <translation>Spalt %1 mm</translation>
    </message>
    <message>
        <source>thickness %1 mm</source>
        <translation>Dicke %1 mm</translation>
    </message>
    <message>
        <source>not given</source>
        <translation>nicht angegeben</translation>
    </message>
    <message>
        <source>10 V → 100 V rule</source>
        <translation>Regel 10 V → 100 V</translation>
    </message>
    <message>
        <source>Procedure</source>
        <translation>Ablauf</translation>
    </message>
    <message>
        <source>Electrodes</source>
        <translation>Elektroden</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Strompfad</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>%1 at %2 V</source>
        <translation>%1 bei %2 V</translation>
    </message>
    <message>
        <source>Conditions</source>
        <translation>Bedingungen</translation>
    </message>
    <message>
        <source>Conditioning</source>
        <translation>Konditionierung</translation>
    </message>
    <message>
        <source>Qualification</source>
        <translation>Produktqualifizierung</translation>
    </message>
    <message>
        <source>Resistivity</source>
        <translation>Spezifischer Widerstand</translation>
    </message>
    <message>
        <source>Class</source>
        <translation>Klasse</translation>
    </message>
    <message>
        <source>Verdict: %1</source>
        <translation>Bewertung: %1</translation>
    </message>
    <message>
        <source>Limit: %1</source>
        <translation>Grenzwert: %1</translation>
    </message>
    <message>
        <source>no limit applied</source>
        <translation>kein Grenzwert angewandt</translation>
    </message>
    <message>
        <source>Resistance test: %1</source>
        <translation>Prüfprotokoll Widerstand: %1</translation>
    </message>
    <message>
        <source>Insulation resistance measurement</source>
        <translation>Prüfprotokoll Isolationswiderstand</translation>
    </message>
    <message>
        <source>SIMULATED METER – NOT A MEASUREMENT</source>
        <translation>SIMULIERTES MESSGERÄT – KEINE MESSUNG</translation>
    </message>
    <message>
        <source>Report date: %1</source>
        <translation>Berichtsdatum: %1</translation>
    </message>
    <message>
        <source>not measured</source>
        <translation>nicht gemessen</translation>
    </message>
    <message>
        <source>Test object</source>
        <translation>Prüfling</translation>
    </message>
    <message>
        <source>Asset</source>
        <translation>Prüfling</translation>
    </message>
    <message>
        <source>Site, location</source>
        <translation>Ort, Standort</translation>
    </message>
    <message>
        <source>Nameplate</source>
        <translation>Typenschild</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Prüfer</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Begonnen</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Spannung</translation>
    </message>
    <message>
        <source>steps of %1</source>
        <translation>Stufen von %1</translation>
    </message>
    <message>
        <source>Ramp</source>
        <translation>Anstieg</translation>
    </message>
    <message>
        <source>%1 to a stable voltage</source>
        <translation>%1 bis zur stabilen Spannung</translation>
    </message>
    <message>
        <source>not known</source>
        <translation>nicht bekannt</translation>
    </message>
    <message>
        <source>Air at the meter</source>
        <translation>Luft am Messgerät</translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation>Luftfeuchte</translation>
    </message>
    <message>
        <source>Dew point</source>
        <translation>Taupunkt</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>Messgerät</translation>
    </message>
    <message>
        <source>%1, serial %2, software %3</source>
        <translation>%1, Seriennummer %2, Software %3</translation>
    </message>
    <message>
        <source>Correction</source>
        <translation>Korrektur</translation>
    </message>
    <message>
        <source>no readings</source>
        <translation>keine Messwerte</translation>
    </message>
    <message>
        <source>Insulation figures</source>
        <translation>Isolationskennwerte</translation>
    </message>
    <message>
        <source>R at the exact times, interpolated in log R between the readings on either side%1.</source>
        <translation>R zu den genauen Zeitpunkten, in log R zwischen den Messwerten davor und danach interpoliert%1.</translation>
    </message>
    <message>
        <source>; page 2 lists the readings themselves</source>
        <translation>; Seite 2 listet die Messwerte selbst</translation>
    </message>
    <message>
        <source>Minimum IR</source>
        <translation>Mindest-Isolationswiderstand</translation>
    </message>
    <message>
        <source>Source: %1</source>
        <translation>Quelle: %1</translation>
    </message>
    <message>
        <source>no rule applies</source>
        <translation>keine Regel anwendbar</translation>
    </message>
    <message>
        <source>Tested by</source>
        <translation>Geprüft von</translation>
    </message>
    <message>
        <source>Checked by</source>
        <translation>Kontrolliert von</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Signature</source>
        <translation>Unterschrift</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Readings at key times</source>
        <translation>Messwerte zu den Stichzeiten</translation>
    </message>
    <message>
        <source>Each row is the reading that closed its step, as it was measured.</source>
        <translation>Jede Zeile ist der Messwert, der seine Stufe abschloss, wie er gemessen wurde.</translation>
    </message>
    <message>
        <source>Each row is the first reading the meter gave at or after its key time, as it was measured. The figures on page 1 are taken at the exact times, interpolated in log R between the readings on either side, and may differ from these.</source>
        <translation>Jede Zeile ist der erste Messwert, den das Messgerät zu oder nach seiner Stichzeit lieferte, wie er gemessen wurde. Die Kennwerte auf Seite 1 gelten für die genauen Zeitpunkte, in log R zwischen den Messwerten davor und danach interpoliert, und können hiervon abweichen.</translation>
    </message>
    <message>
        <source>Key time</source>
        <translation>Stichzeit</translation>
    </message>
    <message>
        <source>Reading at</source>
        <translation>Messzeit</translation>
    </message>
    <message>
        <source>Resistance</source>
        <translation>Widerstand</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperatur</translation>
    </message>
    <message>
        <source>over range</source>
        <translation>über dem Messbereich</translation>
    </message>
    <message>
        <source>under range</source>
        <translation>unter dem Messbereich</translation>
    </message>
    <message>
        <source>The PDF could not be started.</source>
        <translation>Das PDF konnte nicht begonnen werden.</translation>
    </message>
    <message>
        <source>, page 2</source>
        <translation>, Seite 2</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>Step-voltage test: %1</source>
        <translation>Stufenspannungsprüfung: %1</translation>
    </message>
</context>
<context>
    <name>SpecialFunctionsWindow</name>
    <message>
        <source>Voltage set on the meter: not known (Init could not read it)</source>
        <translation>Am Messgerät eingestellte Spannung: nicht bekannt (Init konnte sie nicht lesen)</translation>
    </message>
    <message>
        <source>Voltage set on the meter: automatic</source>
        <translation>Am Messgerät eingestellte Spannung: automatisch</translation>
    </message>
    <message>
        <source>Voltage set on the meter: %1 V</source>
        <translation>Am Messgerät eingestellte Spannung: %1 V</translation>
    </message>
    <message>
        <source>Save the break-down result before the window closes?</source>
        <translation>Das Durchschlagergebnis speichern, bevor das Fenster schließt?</translation>
    </message>
    <message>
        <source>Break-Down resistance</source>
        <translation>Durchschlagwiderstand</translation>
    </message>
    <message>
        <source>Break-Down/Break-Off resistance</source>
        <translation>Durchschlag-/Abrisswiderstand</translation>
    </message>
    <message>
        <source>Input dialog</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Input comment to the measurement</source>
        <translation>Kommentar zur Messung eingeben</translation>
    </message>
    <message>
        <source>Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*</source>
        <translation>Kommagetrennte Werte (*.CSV)|*.CSV|Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>Can&apos;t create file : %1</source>
        <translation>Datei kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ lässt sich nicht öffnen. %2</translation>
    </message>
    <message>
        <source>The result could not be written to &quot;%1&quot;; nothing was added. %2</source>
        <translation>Das Ergebnis konnte nicht nach „%1“ geschrieben werden; nichts wurde hinzugefügt. %2</translation>
    </message>
    <message>
        <source>File &amp;records…</source>
        <translation>&amp;Datensätze ablegen…</translation>
    </message>
    <message>
        <source>File the records read out under an asset of the test history.</source>
        <translation>Die ausgelesenen Datensätze unter einem Prüfling der Prüfhistorie ablegen.</translation>
    </message>
    <message>
        <source>&amp;File test…</source>
        <translation>Prüfung &amp;ablegen…</translation>
    </message>
    <message>
        <source>File the break-down result under an asset of the test history.</source>
        <translation>Das Durchschlagergebnis unter einem Prüfling der Prüfhistorie ablegen.</translation>
    </message>
    <message numerus="yes">
        <source>Write error in file &quot;%1&quot; (%2). %n line(s) of this export were saved.</source>
        <translation>
            <numerusform>Schreibfehler in der Datei „%1“ (%2). %n Zeile dieses Exports wurde gespeichert.</numerusform>
            <numerusform>Schreibfehler in der Datei „%1“ (%2). %n Zeilen dieses Exports wurden gespeichert.</numerusform>
        </translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>No records saved !</source>
        <translation>Keine Datensätze gespeichert !</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Query</source>
        <translation>Rückfrage</translation>
    </message>
    <message>
        <source>Complete measured value memory will be deleted! Are you sure?</source>
        <translation>Der gesamte Messwertspeicher wird gelöscht! Sind Sie sicher?</translation>
    </message>
    <message>
        <source>OHM memory was deleted !</source>
        <translation>OHM-Speicher wurde gelöscht !</translation>
    </message>
    <message>
        <source>Complete break down value memory will be deleted! Are you sure?</source>
        <translation>Der gesamte Durchschlagwertspeicher wird gelöscht! Sind Sie sicher?</translation>
    </message>
    <message>
        <source>BDV memory was deleted !</source>
        <translation>DS-Speicher wurde gelöscht !</translation>
    </message>
    <message>
        <source>Special function</source>
        <translation>Sonderfunktionen</translation>
    </message>
    <message>
        <source>Read storage OHM</source>
        <translation>Speicher OHM lesen</translation>
    </message>
    <message>
        <source>Read int.Ohm stoarge from KRX and save to file.</source>
        <translation>Internen Ohm-Speicher aus dem KRX lesen und in Datei speichern.</translation>
    </message>
    <message>
        <source>Read storage BD</source>
        <translation>Speicher DS lesen</translation>
    </message>
    <message>
        <source>Delete OHM storage</source>
        <translation>Speicher OHM löschen</translation>
    </message>
    <message>
        <source>Delete BD storage</source>
        <translation>Speicher DS löschen</translation>
    </message>
    <message>
        <source>Back to main menu</source>
        <translation>Zurück zum Hauptmenü</translation>
    </message>
    <message>
        <source>Select range</source>
        <translation>Bereich wählen</translation>
    </message>
    <message>
        <source>Save files from</source>
        <translation>Dateien speichern von</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Setup timers Break-Down/Break-Off resistance</source>
        <translation>Timer einstellen: Durchschlag-/Abrisswiderstand</translation>
    </message>
    <message>
        <source>BD Timer (Sec.)</source>
        <translation>DS-Timer (s)</translation>
    </message>
    <message>
        <source>BO Timer (Sec.)</source>
        <translation>AR-Timer (s)</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Break-Down Measurement in progress</source>
        <translation>Durchschlagmessung läuft</translation>
    </message>
</context>
<context>
    <name>StartOptions</name>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>unknown options %1</source>
        <translation>unbekannte Optionen %1</translation>
    </message>
    <message>
        <source>--trace needs a file name</source>
        <translation>--trace braucht einen Dateinamen</translation>
    </message>
    <message>
        <source>--serial needs the meter&apos;s serial number</source>
        <translation>--serial braucht die Seriennummer des Messgeräts</translation>
    </message>
    <message>
        <source>--language needs de or en</source>
        <translation>--language braucht de oder en</translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not a serial number; give the 1 to 8 letters and digits on the meter</source>
        <translation>%1: „%2“ ist keine Seriennummer; geben Sie die 1 bis 8 Buchstaben und Ziffern vom Messgerät an</translation>
    </message>
    <message>
        <source>--language: &apos;%1&apos; is not a language; give de or en</source>
        <translation>--language: „%1“ ist keine Sprache; geben Sie de oder en an</translation>
    </message>
    <message>
        <source>Usage: krx738 [--simulate [SCENARIO.json]] [--trace FILE] [--serial S] [--language LANG] [T]

Read-out and remote-control program for the KRX 738 insulation-resistance meter.

  T                        test mode: the measurement and the break-down test show extra
                           fields. Counts when it is one of the first five parameters;
                           the switches below are not counted.
  --simulate [SCENARIO]    talk to a simulated meter instead of the USB bus; SCENARIO is a
                           scenario file whose name ends in .json (default: built-in)
  --trace FILE             write every USB transfer to FILE as it happens
  --serial S               work with the meter whose serial number is S (default:
                           KRX738_SERIAL of the environment; with several meters
                           attached and none named, Init asks and remembers)
  --language LANG          de or en: the language of the windows, messages and reports
                           (default: Language in the settings, else the system&apos;s)
  -h, --help               show this text
  --version                show the program&apos;s name, version and license

Exit status: 0 at a normal end, 1 without a display, 2 for an unknown option or a
scenario file that cannot be used, the meter&apos;s error code when the connection to the
meter is lost.

Settings: KRX_SETUP.INI beside the program, or in the user&apos;s configuration folder
(~/.config/krx738) when the program&apos;s folder cannot be written or is a bin folder, as
for an installed copy. Each key is read from the user&apos;s copy when that holds it, else
from the file beside the program.
</source>
        <translation>Aufruf: krx738 [--simulate [SZENARIO.json]] [--trace DATEI] [--serial S] [--language SPRACHE] [T]

Ausleseprogramm und Fernsteuerung für das Isolationswiderstands-Messgerät KRX 738.

  T                        Testmodus: Messung und Durchschlagprüfung zeigen zusätzliche
                           Felder. Zählt, wenn es einer der ersten fünf Parameter ist;
                           die Schalter unten zählen nicht mit.
  --simulate [SZENARIO]    mit einem simulierten Messgerät statt über den USB-Bus arbeiten;
                           SZENARIO ist eine Szenariodatei mit der Endung .json
                           (Vorgabe: eingebaut)
  --trace DATEI            jede USB-Übertragung sofort in DATEI schreiben
  --serial S               mit dem Messgerät mit der Seriennummer S arbeiten (Vorgabe:
                           KRX738_SERIAL der Umgebung; sind mehrere Messgeräte
                           angeschlossen und keines genannt, fragt Init und merkt es sich)
  --language SPRACHE       de oder en: die Sprache der Fenster, Meldungen und Berichte
                           (Vorgabe: Language in den Einstellungen, sonst die des Systems)
  -h, --help               diesen Text zeigen
  --version                Name, Version und Lizenz des Programms zeigen

Rückgabewert: 0 bei normalem Ende, 1 ohne Bildschirm, 2 bei unbekannter Option oder
unbrauchbarer Szenariodatei, der Fehlercode des Messgeräts, wenn die Verbindung zum
Messgerät verloren geht.

Einstellungen: KRX_SETUP.INI neben dem Programm oder im Konfigurationsordner des Benutzers
(~/.config/krx738), wenn der Ordner des Programms nicht beschreibbar oder ein bin-Ordner
ist, wie bei einer installierten Kopie. Jeder Schlüssel wird aus der Kopie des Benutzers
gelesen, wenn sie ihn enthält, sonst aus der Datei neben dem Programm.
</translation>
    </message>
    <message>
        <source>krx738 (%1 read out program) %2
License GPL-3.0-or-later &lt;https://gnu.org/licenses/gpl.html&gt;
</source>
        <translation>krx738 (Ausleseprogramm für %1) %2
Lizenz GPL-3.0-or-later &lt;https://gnu.org/licenses/gpl.html&gt;
</translation>
    </message>
    <message>
        <source>krx738: there is no display to show the windows on (DISPLAY and WAYLAND_DISPLAY name none, or it
cannot be opened). Start the program inside a desktop session, or on a virtual display:
    xvfb-run krx738 --simulate
Without windows, the command-line tool krx738-cli drives the meter.
</source>
        <translation>krx738: Es gibt keinen Bildschirm für die Fenster (DISPLAY und WAYLAND_DISPLAY nennen keinen, oder er
lässt sich nicht öffnen). Starten Sie das Programm in einer Desktop-Sitzung oder auf einem virtuellen Bildschirm:
    xvfb-run krx738 --simulate
Ohne Fenster steuert das Kommandozeilenwerkzeug krx738-cli das Messgerät.
</translation>
    </message>
    <message>
        <source>krx738: cannot write the trace file %1
</source>
        <translation>krx738: die Protokolldatei %1 kann nicht geschrieben werden
</translation>
    </message>
</context>
<context>
    <name>TestValues</name>
    <message>
        <source>ESD / material</source>
        <translation>ESD / Material</translation>
    </message>
    <message>
        <source>Class</source>
        <translation>Klasse</translation>
    </message>
    <message>
        <source>Qualification</source>
        <translation>Produktqualifizierung</translation>
    </message>
</context>
<context>
    <name>TestView</name>
    <message>
        <source>Source: %1</source>
        <translation>Quelle: %1</translation>
    </message>
    <message>
        <source>no rule applies</source>
        <translation>keine Regel anwendbar</translation>
    </message>
</context>
<context>
    <name>TrendChart</name>
    <message>
        <source>%1: limit</source>
        <translation>%1: Grenzwert</translation>
    </message>
    <message>
        <source>Resistance</source>
        <translation>Widerstand</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1: not a recording: %2</source>
        <translation>%1: keine Aufzeichnung: %2</translation>
    </message>
    <message>
        <source>A recording (CSV) as measure or the window wrote it.</source>
        <translation>Eine Aufzeichnung (CSV), wie measure oder das Fenster sie schrieb.</translation>
    </message>
    <message>
        <source>DAR as R(60 s)/R(30 s) or R(60 s)/R(15 s). Default: 30-60.</source>
        <translation>DAR als R(60 s)/R(30 s) oder R(60 s)/R(15 s). Vorgabe: 30-60.</translation>
    </message>
    <message>
        <source>With --method material: the run&apos;s voltage.</source>
        <translation>Mit --method material: die Spannung des Durchgangs.</translation>
    </message>
    <message>
        <source>With --method material: the run&apos;s reading time in seconds (default 60).</source>
        <translation>Mit --method material: die Messzeit des Durchgangs in Sekunden (Vorgabe 60).</translation>
    </message>
    <message>
        <source>text (default) or jsonl (one JSON object).</source>
        <translation>text (Vorgabe) oder jsonl (ein JSON-Objekt).</translation>
    </message>
    <message>
        <source>krx738-cli figures RECORDING.csv [--kind %1] [--rated-voltage VOLTS] [--winding form|random|older] [--class A|B|F|H] [--winding-temp T] [--dar-times 30-60|15-60] [--format text|jsonl]
krx738-cli figures RECORDING.csv --method esd|surface|volume|material [--measure rtt|rtg] [--item-kind KIND] [--limits SET] [--d1 MM --d2 MM | --d1 MM --gap MM --thickness MM | --factor F] [--qualification] [--voltage V --duration SECONDS] [--format text|jsonl]</source>
        <translation>krx738-cli figures AUFZEICHNUNG.csv [--kind %1] [--rated-voltage VOLT] [--winding form|random|older] [--class A|B|F|H] [--winding-temp T] [--dar-times 30-60|15-60] [--format text|jsonl]
krx738-cli figures AUFZEICHNUNG.csv --method esd|surface|volume|material [--measure rtt|rtg] [--item-kind ART] [--limits SATZ] [--d1 MM --d2 MM | --d1 MM --gap MM --thickness MM | --factor F] [--qualification] [--voltage V --duration SEKUNDEN] [--format text|jsonl]</translation>
    </message>
    <message>
        <source>The figures of a recording and their verdicts, in the measurement window&apos;s words; no meter is
needed. Without a nameplate option there is no IR or PI verdict. A file that is not a
recording, or was cut off, is refused with the line that shows it (exit status 5). A step-voltage test&apos;s recording
gets its steps, change and verdict; figures are only taken at one voltage, up to a
change of voltage.</source>
        <translation>Die Kennwerte einer Aufzeichnung und ihre Bewertungen, in den Worten des Messfensters; kein
Messgerät nötig. Ohne Typenschild-Option gibt es keine Bewertung von Isolationswiderstand oder PI.
Eine Datei, die keine Aufzeichnung ist oder abgeschnitten wurde, wird mit der Zeile abgelehnt, die
das zeigt (Rückgabewert 5). Die Aufzeichnung einer Stufenspannungsprüfung erhält ihre Stufen,
Änderung und Bewertung; Kennwerte werden nur bei einer Spannung bestimmt, bis zu einem
Spannungswechsel.</translation>
    </message>
    <message>
        <source>figures: give the recording&apos;s file</source>
        <translation>figures: geben Sie die Datei der Aufzeichnung an</translation>
    </message>
    <message>
        <source>--dar-times: &apos;%1&apos; is not allowed; choose 30-60 or 15-60</source>
        <translation>--dar-times: „%1“ ist nicht erlaubt; wählen Sie 30-60 oder 15-60</translation>
    </message>
    <message>
        <source>--format: &apos;%1&apos; is not allowed; choose text or jsonl</source>
        <translation>--format: „%1“ ist nicht erlaubt; wählen Sie text oder jsonl</translation>
    </message>
    <message>
        <source>--%1 needs --method material</source>
        <translation>--%1 braucht --method material</translation>
    </message>
    <message>
        <source>--%1 does not go with --method</source>
        <translation>--%1 passt nicht zu --method</translation>
    </message>
    <message>
        <source>--method material needs --voltage 10, 100, 500 or 1000</source>
        <translation>--method material braucht --voltage 10, 100, 500 oder 1000</translation>
    </message>
    <message>
        <source>whole seconds</source>
        <translation>ganze Sekunden</translation>
    </message>
    <message>
        <source>--method material: %1</source>
        <translation>--method material: %1</translation>
    </message>
    <message>
        <source>nameplate: %1</source>
        <translation>Typenschild: %1</translation>
    </message>
    <message>
        <source>voltage: %1</source>
        <translation>Spannung: %1</translation>
    </message>
    <message>
        <source>R(1 min): %1</source>
        <translation>R(1 min): %1</translation>
    </message>
    <message>
        <source>R(10 min): %1</source>
        <translation>R(10 min): %1</translation>
    </message>
    <message>
        <source>DAR (%1): %2</source>
        <translation>DAR (%1): %2</translation>
    </message>
    <message>
        <source>PI (10 min / 1 min): %1</source>
        <translation>PI (10 min / 1 min): %1</translation>
    </message>
    <message>
        <source>R(1 min) at 40 °C: %1</source>
        <translation>R(1 min) bei 40 °C: %1</translation>
    </message>
    <message>
        <source>R(1 min) at 20 °C: %1</source>
        <translation>R(1 min) bei 20 °C: %1</translation>
    </message>
    <message>
        <source>IR verdict</source>
        <translation>Bewertung Isolationswiderstand</translation>
    </message>
    <message>
        <source>PI verdict</source>
        <translation>Bewertung PI</translation>
    </message>
    <message>
        <source>DAR verdict</source>
        <translation>Bewertung DAR</translation>
    </message>
    <message>
        <source>note: %1</source>
        <translation>Hinweis: %1</translation>
    </message>
    <message>
        <source>meter: simulated, not a real meter&apos;s readings</source>
        <translation>Messgerät: simuliert, keine Messwerte eines echten Messgeräts</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Messwert</translation>
    </message>
    <message>
        <source>Verdicts</source>
        <translation>Bewertungen</translation>
    </message>
    <message>
        <source>Export fields:</source>
        <translation>Exportfelder:</translation>
    </message>
    <message>
        <source>there is no asset &apos;%1&apos; in %2; krx738-cli history list shows the assets</source>
        <translation>es gibt keinen Prüfling „%1“ in %2; krx738-cli history list zeigt die Prüflinge</translation>
    </message>
    <message>
        <source>last test</source>
        <translation>letzte Prüfung</translation>
    </message>
    <message numerus="yes">
        <source>%1%2: %n test(s)
</source>
        <translation>
            <numerusform>%1%2: %n Prüfung
</numerusform>
            <numerusform>%1%2: %n Prüfungen
</numerusform>
        </translation>
    </message>
    <message>
        <source>
Verdicts after:
</source>
        <translation>
Bewertungen nach:
</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>%1 written</source>
        <translation>%1 geschrieben</translation>
    </message>
    <message numerus="yes">
        <source>%n test(s) wait in %1</source>
        <translation>
            <numerusform>%n Prüfung wartet in %1</numerusform>
            <numerusform>%n Prüfungen warten in %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n test(s) could not be sent and wait in %1</source>
        <translation>
            <numerusform>%n Prüfung konnte nicht übertragen werden und wartet in %1</numerusform>
            <numerusform>%n Prüfungen konnten nicht übertragen werden und warten in %1</numerusform>
        </translation>
    </message>
    <message>
        <source>the outbox is empty</source>
        <translation>der Postausgang ist leer</translation>
    </message>
    <message>
        <source>--format: &apos;%1&apos; is not allowed; choose %2</source>
        <translation>--format: „%1“ ist nicht erlaubt; wählen Sie %2</translation>
    </message>
    <message>
        <source>table, csv or jsonl</source>
        <translation>table, csv oder jsonl</translation>
    </message>
    <message>
        <source>csv, spreadsheet or jsonl</source>
        <translation>csv, spreadsheet oder jsonl</translation>
    </message>
    <message>
        <source>list, show, export or send</source>
        <translation>list, show, export oder send</translation>
    </message>
    <message>
        <source>show, export: the asset&apos;s id</source>
        <translation>show, export: die ID des Prüflings</translation>
    </message>
    <message>
        <source>show: table (default), csv or jsonl; export: csv (default; UTF-8, &quot;,&quot;), spreadsheet (Windows-1252, &quot;;&quot;) or jsonl.</source>
        <translation>show: table (Vorgabe), csv oder jsonl; export: csv (Vorgabe; UTF-8, „,“), spreadsheet (Windows-1252, „;“) oder jsonl.</translation>
    </message>
    <message>
        <source>export: write FILE (whole or not at all) instead of standard output.</source>
        <translation>export: FILE (ganz oder gar nicht) statt der Standardausgabe schreiben.</translation>
    </message>
    <message>
        <source>krx738-cli history list [--database SETTING]
       krx738-cli history show ASSET [--format table|csv|jsonl]
       krx738-cli history export ASSET [--format csv|spreadsheet|jsonl] [--output FILE]
       krx738-cli history send</source>
        <translation>krx738-cli history list [--database EINSTELLUNG]
       krx738-cli history show PRÜFLING [--format table|csv|jsonl]
       krx738-cli history export PRÜFLING [--format csv|spreadsheet|jsonl] [--output DATEI]
       krx738-cli history send</translation>
    </message>
    <message>
        <source>The test history: the assets, the tests filed under each (measure --asset), and the outbox
of tests that waited for the database. The outbox is also sent at every successful open.</source>
        <translation>Die Prüfhistorie: die Prüflinge, die unter jedem abgelegten Prüfungen (measure --asset) und der
Postausgang der Prüfungen, die auf die Datenbank warteten. Der Postausgang wird auch bei jedem
erfolgreichen Öffnen übertragen.</translation>
    </message>
    <message>
        <source>history: give list, show ASSET, export ASSET or send</source>
        <translation>history: geben Sie list, show PRÜFLING, export PRÜFLING oder send an</translation>
    </message>
    <message>
        <source>history: &apos;%1&apos; is not allowed; choose list, show, export or send</source>
        <translation>history: „%1“ ist nicht erlaubt; wählen Sie list, show, export oder send</translation>
    </message>
    <message>
        <source>history %1: give the asset&apos;s id</source>
        <translation>history %1: geben Sie die ID des Prüflings an</translation>
    </message>
    <message>
        <source>--format belongs to history show and export</source>
        <translation>--format gehört zu history show und export</translation>
    </message>
    <message>
        <source>--output belongs to history export</source>
        <translation>--output gehört zu history export</translation>
    </message>
    <message>
        <source>--output: give a file name</source>
        <translation>--output: geben Sie einen Dateinamen an</translation>
    </message>
    <message>
        <source>no KRX 738 found: check that it is connected by USB and switched on</source>
        <translation>kein KRX 738 gefunden: prüfen Sie, ob er über USB angeschlossen und eingeschaltet ist</translation>
    </message>
    <message>
        <source>krx738-cli [global options] %1</source>
        <translation>krx738-cli [globale Optionen] %1</translation>
    </message>
    <message>
        <source>Lists the meters found: bus, address, serial number, software, and whether this user may open each. Of several meters only the identity is asked, and a meter another program holds is left alone.</source>
        <translation>Listet die gefundenen Messgeräte: Bus, Adresse, Seriennummer, Software und ob dieser Benutzer jedes öffnen darf. Bei mehreren Messgeräten wird nur die Kennung abgefragt, und ein Messgerät, das ein anderes Programm hält, bleibt unberührt.</translation>
    </message>
    <message>
        <source>Prints the meter&apos;s identity, battery state, measuring setup and its three timers, one &quot;name: value&quot; per line.</source>
        <translation>Gibt Kennung, Batteriezustand, Messeinstellung und die drei Timer des Messgeräts aus, je Zeile ein „name: value“.</translation>
    </message>
    <message>
        <source> or </source>
        <translation> oder </translation>
    </message>
    <message>
        <source>Commands:
</source>
        <translation>Befehle:
</translation>
    </message>
    <message>
        <source>
krx738-cli COMMAND --help shows the options of a command.
</source>
        <translation>
krx738-cli BEFEHL --help zeigt die Optionen eines Befehls.
</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a command; choose %2</source>
        <translation>„%1“ ist kein Befehl; wählen Sie %2</translation>
    </message>
    <message>
        <source>%1 not found; messages stay in English</source>
        <translation>%1 nicht gefunden; die Meldungen bleiben englisch</translation>
    </message>
    <message>
        <source>krx738-cli [global options] COMMAND [options]</source>
        <translation>krx738-cli [globale Optionen] BEFEHL [Optionen]</translation>
    </message>
    <message>
        <source>The KRX 738 insulation-resistance meter from the shell: data on standard output,
messages on standard error.</source>
        <translation>Das Isolationswiderstands-Messgerät KRX 738 von der Kommandozeile: Daten auf der Standardausgabe,
Meldungen auf der Standardfehlerausgabe.</translation>
    </message>
    <message>
        <source>give a command: %1</source>
        <translation>geben Sie einen Befehl an: %1</translation>
    </message>
    <message>
        <source> (see krx738-cli --help)</source>
        <translation> (siehe krx738-cli --help)</translation>
    </message>
    <message>
        <source>test: %1
</source>
        <translation>Prüfung: %1
</translation>
    </message>
    <message>
        <source>the stream was closed</source>
        <translation>der Datenstrom wurde geschlossen</translation>
    </message>
    <message>
        <source>waiting for a stable measuring voltage, %1 s</source>
        <translation>warte auf stabile Messspannung, %1 s</translation>
    </message>
    <message>
        <source> Ohm</source>
        <translation> Ohm</translation>
    </message>
    <message>
        <source>%1 readings, %2, %3 V, %4 s</source>
        <translation>%1 Messwerte, %2, %3 V, %4 s</translation>
    </message>
    <message>
        <source>measuring at %1, %2; Ctrl-C ends</source>
        <translation>Messung mit %1, %2; Strg-C beendet</translation>
    </message>
    <message>
        <source>automatic voltage</source>
        <translation>automatischer Spannung</translation>
    </message>
    <message>
        <source>timer %1 s</source>
        <translation>Timer %1 s</translation>
    </message>
    <message>
        <source>free-running</source>
        <translation>fortlaufend</translation>
    </message>
    <message numerus="yes">
        <source>%n record(s) written to %1</source>
        <translation>
            <numerusform>%n Datensatz nach %1 geschrieben</numerusform>
            <numerusform>%n Datensätze nach %1 geschrieben</numerusform>
        </translation>
    </message>
    <message>
        <source>connection to the KRX 738 lost (%1); %2</source>
        <translation>Verbindung zum KRX 738 verloren (%1); %2</translation>
    </message>
    <message>
        <source>the KRX 738 stopped answering; %1</source>
        <translation>der KRX 738 antwortet nicht mehr; %1</translation>
    </message>
    <message>
        <source>cannot write the figures: %1</source>
        <translation>die Kennwerte können nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>cannot write the figures: %1; %2</source>
        <translation>die Kennwerte können nicht geschrieben werden: %1; %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2; the measurement was stopped, %3</source>
        <translation>%1 kann nicht geschrieben werden: %2; die Messung wurde angehalten, %3</translation>
    </message>
    <message>
        <source>%1 test; Ctrl-C ends</source>
        <translation>%1-Prüfung; Strg-C beendet</translation>
    </message>
    <message>
        <source>File the finished measurement under the asset ID in the test history, with its figures, judged by the nameplate options, else by the asset&apos;s nameplate).</source>
        <translation>Die beendete Messung unter der Prüflings-ID in der Prüfhistorie ablegen, mit ihren Kennwerten, bewertet nach den Typenschild-Optionen, sonst nach dem Typenschild des Prüflings).</translation>
    </message>
    <message>
        <source>With --asset: the test&apos;s comment.</source>
        <translation>Mit --asset: der Kommentar der Prüfung.</translation>
    </message>
    <message>
        <source>With --asset: who tested.</source>
        <translation>Mit --asset: wer geprüft hat.</translation>
    </message>
    <message>
        <source>With --asset and --simulate: file the simulated meter&apos;s test (marked simulated).</source>
        <translation>Mit --asset und --simulate: die Prüfung des simulierten Messgeräts ablegen (als simuliert gekennzeichnet).</translation>
    </message>
    <message>
        <source>Measuring voltage: 10, 100, 500, 1000 or auto (default: the meter&apos;s setup).</source>
        <translation>Messspannung: 10, 100, 500, 1000 oder auto (Vorgabe: die Einstellung des Messgeräts).</translation>
    </message>
    <message>
        <source>Measure with the meter&apos;s timer, 1 to 600 seconds.</source>
        <translation>Mit dem Timer des Messgeräts messen, 1 bis 600 Sekunden.</translation>
    </message>
    <message>
        <source>With --timer: the meter averages.</source>
        <translation>Mit --timer: das Messgerät bildet den Mittelwert.</translation>
    </message>
    <message>
        <source>With --timer: the meter keeps the lapse.</source>
        <translation>Mit --timer: das Messgerät behält den Verlauf.</translation>
    </message>
    <message>
        <source>Milliseconds between readings, 0 to 3600000 (default 1000).</source>
        <translation>Millisekunden zwischen den Messwerten, 0 bis 3600000 (Vorgabe 1000).</translation>
    </message>
    <message>
        <source>End after this many seconds (from the start).</source>
        <translation>Nach so vielen Sekunden enden (ab dem Start).</translation>
    </message>
    <message>
        <source>End after N readings.</source>
        <translation>Nach N Messwerten enden.</translation>
    </message>
    <message>
        <source>dar: end 60 s after the voltage command, pi: after 10 min (unless --duration, --count or the timer end it sooner), then print the figures; step: the step-voltage test, then its result.</source>
        <translation>dar: 60 s nach dem Spannungsbefehl enden, pi: nach 10 min (sofern --duration, --count oder der Timer nicht früher beenden), dann die Kennwerte ausgeben; step: die Stufenspannungsprüfung, dann ihr Ergebnis.</translation>
    </message>
    <message>
        <source>With --test: DAR as R(60 s)/R(30 s) or R(60 s)/R(15 s). Default: 30-60.</source>
        <translation>Mit --test: DAR als R(60 s)/R(30 s) oder R(60 s)/R(15 s). Vorgabe: 30-60.</translation>
    </message>
    <message>
        <source>krx738-cli [global options] measure [--voltage V] [--timer SECONDS [--average|--lapse]] [--interval MS] [--duration SECONDS | --count N] [--format csv|jsonl|spreadsheet] [--output FILE] [--test dar|pi [--kind K] [--rated-voltage V] [--winding W] [--class C] [--winding-temp T] [--dar-times T] | --test step [--steps V,V,...] [--step-seconds SECONDS] | --method esd|surface|volume|material [--measure rtt|rtg] [--item-kind KIND] [--limits SET] [--d1 MM --d2 MM | --d1 MM --gap MM --thickness MM | --factor F] [--qualification] [--conditioning HOURS]] [--asset ID [--comment TEXT] [--operator NAME] [--database SETTING] [--allow-simulated]]</source>
        <translation>krx738-cli [globale Optionen] measure [--voltage V] [--timer SEKUNDEN [--average|--lapse]] [--interval MS] [--duration SEKUNDEN | --count N] [--format csv|jsonl|spreadsheet] [--output DATEI] [--test dar|pi [--kind K] [--rated-voltage V] [--winding W] [--class C] [--winding-temp T] [--dar-times T] | --test step [--steps V,V,...] [--step-seconds SEKUNDEN] | --method esd|surface|volume|material [--measure rtt|rtg] [--item-kind ART] [--limits SATZ] [--d1 MM --d2 MM | --d1 MM --gap MM --thickness MM | --factor F] [--qualification] [--conditioning STUNDEN]] [--asset ID [--comment TEXT] [--operator NAME] [--database EINSTELLUNG] [--allow-simulated]]</translation>
    </message>
    <message>
        <source>Runs the measurement cycle and writes one record per reading as it comes. Ctrl-C (SIGINT, SIGTERM) ends it as Break does: in timer mode the meter&apos;s timer is stopped; every record read is written, and the exit status is 0.</source>
        <translation>Führt den Messzyklus aus und schreibt je Messwert einen Datensatz, sobald er kommt. Strg-C (SIGINT, SIGTERM) beendet ihn wie Abbruch: im Timerbetrieb wird der Timer des Messgeräts angehalten; jeder gelesene Datensatz wird geschrieben, und der Rückgabewert ist 0.</translation>
    </message>
    <message>
        <source>csv and jsonl fields: time (ISO 8601 with UTC offset), elapsed_s, resistance_ohm (empty/null
when out of range), range (ok, over, under), voltage_v, temperature_c, humidity_pct, stable,
rest_s (timer mode).

--test: times count from the command that puts the measuring voltage on. With jsonl the
figures are the last JSON object of the stream (its key &quot;test&quot; tells it from the records);
with csv and spreadsheet they are &quot;name: value&quot; lines on standard output after the
records, or on standard error when the records go to standard output. A figure that
cannot be taken reads &quot;not enough data&quot; (null in JSON).

--asset: a measurement that ends (count, duration, timer, Ctrl-C) is filed with its readings
and figures; one without a stable measuring voltage is not. When the database cannot take
it the test is kept in the outbox (exit status 7) and sent by krx738-cli history send.

--test step: the voltage rises step by step in one free-running measurement; each record
carries its step (csv: a tenth column step). With jsonl every finished step is an object
with &quot;step&quot; and &quot;voltage_v&quot; but without &quot;time&quot;, and the result (the resistance at each
step&apos;s end, also at 40 C, the change from the lowest to the highest step, its verdict
and source) is the last object, with &quot;test&quot;: &quot;step&quot;.

--method: an ESD-control item (esd) or a material (surface, volume) by the 10 V → 100 V
rule (10 V, the reading at 5 s; at 1.0×10^6 Ω or more the meter is stopped and 100 V
read at 15 s), or a material at --voltage for --duration (material). Each record carries
its phase in the step column; the result (path, result_ohm, result_voltage_v, resistivity,
classification, verdict, limit_source, temperature_c, humidity_pct) is the last JSON object,
or text after the records.

</source>
        <translation>Felder von csv und jsonl: time (ISO 8601 mit UTC-Versatz), elapsed_s, resistance_ohm (leer/null
außerhalb des Messbereichs), range (ok, over, under), voltage_v, temperature_c, humidity_pct, stable,
rest_s (Timerbetrieb).

--test: die Zeiten zählen ab dem Befehl, der die Messspannung anlegt. Bei jsonl sind die
Kennwerte das letzte JSON-Objekt des Stroms (sein Schlüssel &quot;test&quot; unterscheidet es von den
Datensätzen); bei csv und spreadsheet sind es „name: value“-Zeilen auf der Standardausgabe nach
den Datensätzen, oder auf der Standardfehlerausgabe, wenn die Datensätze auf die Standardausgabe
gehen. Ein Kennwert, der sich nicht bestimmen lässt, lautet „not enough data“ (null in JSON).

--asset: eine Messung, die endet (count, duration, Timer, Strg-C), wird mit ihren Messwerten
und Kennwerten abgelegt; eine ohne stabile Messspannung nicht. Nimmt die Datenbank sie nicht an,
bleibt die Prüfung im Postausgang (Rückgabewert 7) und wird mit krx738-cli history send übertragen.

--test step: die Spannung steigt in einer fortlaufenden Messung Stufe um Stufe; jeder Datensatz
trägt seine Stufe (csv: eine zehnte Spalte step). Bei jsonl ist jede beendete Stufe ein Objekt
mit &quot;step&quot; und &quot;voltage_v&quot;, aber ohne &quot;time&quot;, und das Ergebnis (der Widerstand am Ende jeder
Stufe, auch bei 40 C, die Änderung von der niedrigsten zur höchsten Stufe, ihre Bewertung
und Quelle) ist das letzte Objekt, mit &quot;test&quot;: &quot;step&quot;.

--method: ein Gegenstand der ESD-Schutzzone (esd) oder ein Material (surface, volume) nach der
Regel 10 V → 100 V (10 V, der Messwert nach 5 s; bei 1,0×10^6 Ω oder mehr wird das Messgerät
angehalten und 100 V nach 15 s gelesen), oder ein Material mit --voltage für --duration (material).
Jeder Datensatz trägt seine Phase in der Spalte step; das Ergebnis (path, result_ohm,
result_voltage_v, resistivity, classification, verdict, limit_source, temperature_c, humidity_pct)
ist das letzte JSON-Objekt, oder Text nach den Datensätzen.

</translation>
    </message>
    <message>
        <source>--average and --lapse: choose one</source>
        <translation>--average und --lapse: wählen Sie eines</translation>
    </message>
    <message>
        <source>--average and --lapse need --timer</source>
        <translation>--average und --lapse brauchen --timer</translation>
    </message>
    <message>
        <source>--duration and --count: choose one</source>
        <translation>--duration und --count: wählen Sie eines</translation>
    </message>
    <message>
        <source>--duration: &apos;%1&apos; is not allowed; give seconds above 0, at most 864000 (ten days)</source>
        <translation>--duration: „%1“ ist nicht erlaubt; geben Sie Sekunden über 0 an, höchstens 864000 (zehn Tage)</translation>
    </message>
    <message>
        <source>a number of readings</source>
        <translation>eine Anzahl von Messwerten</translation>
    </message>
    <message>
        <source>--%1 needs --asset</source>
        <translation>--%1 braucht --asset</translation>
    </message>
    <message>
        <source>--asset: give the id of an asset</source>
        <translation>--asset: geben Sie die ID eines Prüflings an</translation>
    </message>
    <message>
        <source>--test: &apos;%1&apos; is not allowed; choose dar, pi or step</source>
        <translation>--test: „%1“ ist nicht erlaubt; wählen Sie dar, pi oder step</translation>
    </message>
    <message>
        <source>--%1 needs --test or --asset</source>
        <translation>--%1 braucht --test oder --asset</translation>
    </message>
    <message>
        <source>--dar-times needs --test or --asset</source>
        <translation>--dar-times braucht --test oder --asset</translation>
    </message>
    <message>
        <source>--%1 does not go with --method %2</source>
        <translation>--%1 passt nicht zu --method %2</translation>
    </message>
    <message>
        <source>--%1 does not go with --method %2: its rule sets the voltage and the reading times</source>
        <translation>--%1 passt nicht zu --method %2: dessen Regel legt Spannung und Messzeiten fest</translation>
    </message>
    <message>
        <source>--duration with --method material: whole seconds, 1 to 3600</source>
        <translation>--duration mit --method material: ganze Sekunden, 1 bis 3600</translation>
    </message>
    <message>
        <source>--asset with --simulate files the simulated meter&apos;s readings under %1; add --allow-simulated to file them (marked simulated)</source>
        <translation>--asset mit --simulate legt die Messwerte des simulierten Messgeräts unter %1 ab; fügen Sie --allow-simulated hinzu, um sie abzulegen (als simuliert gekennzeichnet)</translation>
    </message>
    <message>
        <source>; the measurement goes ahead, its test will be kept in the outbox</source>
        <translation>; die Messung läuft, ihre Prüfung bleibt im Postausgang</translation>
    </message>
    <message>
        <source>a new test history was made: %1</source>
        <translation>eine neue Prüfhistorie wurde angelegt: %1</translation>
    </message>
    <message>
        <source>test %1 filed under %2 in %3</source>
        <translation>Prüfung %1 unter %2 in %3 abgelegt</translation>
    </message>
    <message>
        <source>the test was filed, but the nameplate could not be kept with %1: %2</source>
        <translation>die Prüfung wurde abgelegt, aber das Typenschild konnte nicht bei %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>resistance memory</source>
        <translation>Widerstandsspeicher</translation>
    </message>
    <message>
        <source>break-down memory</source>
        <translation>Durchschlagspeicher</translation>
    </message>
    <message numerus="yes">
        <source>cannot write %1: %2; %n record(s) written</source>
        <translation>
            <numerusform>%1 kann nicht geschrieben werden: %2; %n Datensatz geschrieben</numerusform>
            <numerusform>%1 kann nicht geschrieben werden: %2; %n Datensätze geschrieben</numerusform>
        </translation>
    </message>
    <message>
        <source>the KRX 738 stopped answering before the first record; nothing was written</source>
        <translation>der KRX 738 antwortete vor dem ersten Datensatz nicht mehr; nichts wurde geschrieben</translation>
    </message>
    <message>
        <source>--range %1-%2: the %3 holds no records; nothing was written</source>
        <translation>--range %1-%2: der %3 enthält keine Datensätze; nichts wurde geschrieben</translation>
    </message>
    <message>
        <source>the %1 holds no records</source>
        <translation>der %1 enthält keine Datensätze</translation>
    </message>
    <message>
        <source>--range %1-%2: the %3 holds file numbers 1 to %4; none of the range is there, nothing was written</source>
        <translation>--range %1-%2: der %3 enthält die Dateinummern 1 bis %4; nichts aus dem Bereich ist vorhanden, nichts wurde geschrieben</translation>
    </message>
    <message>
        <source>the read-out of the %1 was cut off; %2</source>
        <translation>das Auslesen des %1 wurde abgebrochen; %2</translation>
    </message>
    <message>
        <source>--range %1-%2: the %3 holds file numbers 1 to %4; %5 to %6 are missing; %7</source>
        <translation>--range %1-%2: der %3 enthält die Dateinummern 1 bis %4; %5 bis %6 fehlen; %7</translation>
    </message>
    <message>
        <source>the %1 was erased</source>
        <translation>der %1 wurde gelöscht</translation>
    </message>
    <message>
        <source>memory: &apos;%1&apos; is not a memory; choose ohm or bd</source>
        <translation>memory: „%1“ ist kein Speicher; wählen Sie ohm oder bd</translation>
    </message>
    <message>
        <source>--range: &apos;%1&apos; is not allowed; give FROM-TO with 1 &lt;= FROM &lt;= TO &lt;= 99</source>
        <translation>--range: „%1“ ist nicht erlaubt; geben Sie VON-BIS mit 1 &lt;= VON &lt;= BIS &lt;= 99 an</translation>
    </message>
    <message>
        <source>read or erase</source>
        <translation>read oder erase</translation>
    </message>
    <message>
        <source>ohm (resistance) or bd (break-down)</source>
        <translation>ohm (Widerstand) oder bd (Durchschlag)</translation>
    </message>
    <message>
        <source>read: file numbers FROM-TO, 1 to 99 (default: all records).</source>
        <translation>read: Dateinummern VON-BIS, 1 bis 99 (Vorgabe: alle Datensätze).</translation>
    </message>
    <message>
        <source>erase: really erase the memory.</source>
        <translation>erase: den Speicher wirklich löschen.</translation>
    </message>
    <message>
        <source>krx738-cli [global options] memory read ohm|bd [--range FROM-TO] [--format csv|jsonl|spreadsheet] [--output FILE]
       krx738-cli [global options] memory erase ohm|bd --yes</source>
        <translation>krx738-cli [globale Optionen] memory read ohm|bd [--range VON-BIS] [--format csv|jsonl|spreadsheet] [--output DATEI]
       krx738-cli [globale Optionen] memory erase ohm|bd --yes</translation>
    </message>
    <message>
        <source>Reads the records of the meter&apos;s resistance memory (ohm) or break-down memory (bd), or erases one of them.</source>
        <translation>Liest die Datensätze aus dem Widerstandsspeicher (ohm) oder dem Durchschlagspeicher (bd) des Messgeräts, oder löscht einen davon.</translation>
    </message>
    <message>
        <source>memory: give read or erase, then ohm or bd</source>
        <translation>memory: geben Sie read oder erase an, dann ohm oder bd</translation>
    </message>
    <message>
        <source>--yes belongs to memory erase</source>
        <translation>--yes gehört zu memory erase</translation>
    </message>
    <message>
        <source>memory erase takes no --range or --output</source>
        <translation>memory erase nimmt kein --range oder --output</translation>
    </message>
    <message>
        <source>memory erase %1: the records would be lost; add --yes to erase</source>
        <translation>memory erase %1: die Datensätze gingen verloren; fügen Sie --yes hinzu, um zu löschen</translation>
    </message>
    <message>
        <source>memory: &apos;%1&apos; is not allowed; choose read or erase</source>
        <translation>memory: „%1“ ist nicht erlaubt; wählen Sie read oder erase</translation>
    </message>
    <message>
        <source>--%1: &apos;%2&apos; is not allowed; give a number above 0</source>
        <translation>--%1: „%2“ ist nicht erlaubt; geben Sie eine Zahl über 0 an</translation>
    </message>
    <message>
        <source>insulation (default), esd (an ESD-control item by the 10 V → 100 V rule), surface or volume (a material&apos;s resistance by the same rule), material (at --voltage for --duration, default 60 s).</source>
        <translation>insulation (Vorgabe), esd (ein Gegenstand der ESD-Schutzzone nach der Regel 10 V → 100 V), surface oder volume (der Widerstand eines Materials nach derselben Regel), material (mit --voltage für --duration, Vorgabe 60 s).</translation>
    </message>
    <message>
        <source>With --method esd: rtt (point to point) or rtg (to ground, default).</source>
        <translation>Mit --method esd: rtt (Punkt zu Punkt) oder rtg (gegen Erde, Vorgabe).</translation>
    </message>
    <message>
        <source>The item: %1, or a kind of your own limit set.</source>
        <translation>Der Gegenstand: %1, oder eine Art aus Ihrem eigenen Grenzwertsatz.</translation>
    </message>
    <message>
        <source>The limit set that judges the item (built in: s20.20-2021, iec-61340-5-1-2016; your own in ~/.config/krx738/limits/).</source>
        <translation>Der Grenzwertsatz, der den Gegenstand bewertet (eingebaut: s20.20-2021, iec-61340-5-1-2016; eigene in ~/.config/krx738/limits/).</translation>
    </message>
    <message>
        <source>Inner electrode diameter in mm.</source>
        <translation>Durchmesser der inneren Elektrode in mm.</translation>
    </message>
    <message>
        <source>Ring electrode&apos;s inner diameter in mm (surface).</source>
        <translation>Innendurchmesser der Ringelektrode in mm (surface).</translation>
    </message>
    <message>
        <source>Gap between the electrodes in mm (volume).</source>
        <translation>Spalt zwischen den Elektroden in mm (volume).</translation>
    </message>
    <message>
        <source>Specimen thickness in mm (volume).</source>
        <translation>Dicke des Probekörpers in mm (volume).</translation>
    </message>
    <message>
        <source>The resistivity factor of another convention (surface: 1, volume: cm).</source>
        <translation>Der Faktor für den spezifischen Widerstand nach einer anderen Konvention (surface: 1, volume: cm).</translation>
    </message>
    <message>
        <source>Product qualification: a reading outside 12 ± 3 % RH or 23 ± 2 °C is flagged.</source>
        <translation>Produktqualifizierung: ein Messwert außerhalb 12 ± 3 % r. F. oder 23 ± 2 °C wird gekennzeichnet.</translation>
    </message>
    <message>
        <source>How long the specimen was conditioned, in hours (filed).</source>
        <translation>Wie lange der Probekörper konditioniert wurde, in Stunden (wird abgelegt).</translation>
    </message>
    <message>
        <source>--method: &apos;%1&apos; is not allowed; choose insulation, esd, surface, volume or material</source>
        <translation>--method: „%1“ ist nicht erlaubt; wählen Sie insulation, esd, surface, volume oder material</translation>
    </message>
    <message>
        <source>--%1 needs --method esd, surface, volume or material</source>
        <translation>--%1 braucht --method esd, surface, volume oder material</translation>
    </message>
    <message>
        <source>--measure: &apos;%1&apos; is not allowed; choose rtt or rtg</source>
        <translation>--measure: „%1“ ist nicht erlaubt; wählen Sie rtt oder rtg</translation>
    </message>
    <message>
        <source>--measure goes with --method esd; surface and volume say what they measure</source>
        <translation>--measure gehört zu --method esd; surface und volume sagen selbst, was sie messen</translation>
    </message>
    <message>
        <source>--conditioning: &apos;%1&apos; is not allowed; give hours, 0 or more</source>
        <translation>--conditioning: „%1“ ist nicht erlaubt; geben Sie Stunden an, 0 oder mehr</translation>
    </message>
    <message>
        <source>limit set refused: %1</source>
        <translation>Grenzwertsatz abgelehnt: %1</translation>
    </message>
    <message>
        <source>--method %1: %2</source>
        <translation>--method %1: %2</translation>
    </message>
    <message>
        <source>method: %1</source>
        <translation>Verfahren: %1</translation>
    </message>
    <message>
        <source>path: %1</source>
        <translation>Strompfad: %1</translation>
    </message>
    <message>
        <source>result: %1 at %2 V</source>
        <translation>Ergebnis: %1 bei %2 V</translation>
    </message>
    <message>
        <source>conditions: %1</source>
        <translation>Bedingungen: %1</translation>
    </message>
    <message>
        <source>conditioning: %1</source>
        <translation>Konditionierung: %1</translation>
    </message>
    <message>
        <source>qualification: %1</source>
        <translation>Produktqualifizierung: %1</translation>
    </message>
    <message>
        <source>resistivity: %1</source>
        <translation>spezifischer Widerstand: %1</translation>
    </message>
    <message>
        <source>class: %1 (%2)</source>
        <translation>Klasse: %1 (%2)</translation>
    </message>
    <message>
        <source>verdict: %1</source>
        <translation>Bewertung: %1</translation>
    </message>
    <message>
        <source>limit: %1</source>
        <translation>Grenzwert: %1</translation>
    </message>
    <message>
        <source>--%1: &apos;%2&apos; is not a number from %3 to %4</source>
        <translation>--%1: „%2“ ist keine Zahl von %3 bis %4</translation>
    </message>
    <message>
        <source>The asset: %1 (machine when not given).</source>
        <translation>Der Prüfling: %1 (machine, wenn nicht angegeben).</translation>
    </message>
    <message>
        <source>The asset&apos;s rated voltage, line to line.</source>
        <translation>Die Bemessungsspannung des Prüflings, Leiter–Leiter.</translation>
    </message>
    <message>
        <source>form (form-wound after about 1970: 100 MΩ, 5 MΩ when rated below 1 kV), random (random-wound, or a dc armature, which IEEE 43-2013 puts in the 5 MΩ row) or older (before about 1970, field windings, not known: kV + 1 MΩ).</source>
        <translation>form (Formspulenwicklung ab etwa 1970: 100 MΩ, 5 MΩ bei Bemessung unter 1 kV), random (Träufelwicklung oder ein Gleichstromanker, die IEEE 43-2013 in die Zeile 5 MΩ setzt) oder older (vor etwa 1970, Feldwicklungen, unbekannt: kV + 1 MΩ).</translation>
    </message>
    <message>
        <source>The thermal class, A, B, F or H.</source>
        <translation>Die Isolierstoffklasse, A, B, F oder H.</translation>
    </message>
    <message>
        <source>The winding temperature in °C to correct from (default: the air temperature at the meter).</source>
        <translation>Die Wicklungstemperatur in °C, von der aus korrigiert wird (Vorgabe: die Lufttemperatur am Messgerät).</translation>
    </message>
    <message>
        <source>--kind: &apos;%1&apos; is not allowed; choose %2</source>
        <translation>--kind: „%1“ ist nicht erlaubt; wählen Sie %2</translation>
    </message>
    <message>
        <source>--winding: &apos;%1&apos; is not allowed; choose form, random or older</source>
        <translation>--winding: „%1“ ist nicht erlaubt; wählen Sie form, random oder older</translation>
    </message>
    <message>
        <source>--class: &apos;%1&apos; is not allowed; choose A, B, F or H</source>
        <translation>--class: „%1“ ist nicht erlaubt; wählen Sie A, B, F oder H</translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not a serial number; give the 1 to 8 letters and digits that krx738-cli list shows</source>
        <translation>%1: „%2“ ist keine Seriennummer; geben Sie die 1 bis 8 Buchstaben und Ziffern an, die krx738-cli list zeigt</translation>
    </message>
    <message>
        <source>Talk to a simulated meter; an optional SCENARIO.json after it changes the meter.</source>
        <translation>Mit einem simulierten Messgerät arbeiten; ein optionales SCENARIO.json danach ändert das Messgerät.</translation>
    </message>
    <message>
        <source>Write every USB transfer to FILE as it happens.</source>
        <translation>Jede USB-Übertragung sofort in FILE schreiben.</translation>
    </message>
    <message>
        <source>Talk to the meter with serial number S (default: KRX738_SERIAL of the environment, else the only meter attached).</source>
        <translation>Mit dem Messgerät mit der Seriennummer S arbeiten (Vorgabe: KRX738_SERIAL der Umgebung, sonst das einzige angeschlossene Messgerät).</translation>
    </message>
    <message>
        <source>The language of the messages and help: de or en (default: Language in the settings, else the system&apos;s).</source>
        <translation>Die Sprache der Meldungen und der Hilfe: de oder en (Vorgabe: Language in den Einstellungen, sonst die des Systems).</translation>
    </message>
    <message>
        <source>Say only what went wrong.</source>
        <translation>Nur melden, was schiefging.</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Diese Hilfe zeigen.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Die Version zeigen.</translation>
    </message>
    <message>
        <source>--language: &apos;%1&apos; is not a language; give de or en</source>
        <translation>--language: „%1“ ist keine Sprache; geben Sie de oder en an</translation>
    </message>
    <message>
        <source>--simulate: %1</source>
        <translation>--simulate: %1</translation>
    </message>
    <message>
        <source>a scenario file needs --simulate</source>
        <translation>eine Szenariodatei braucht --simulate</translation>
    </message>
    <message>
        <source>--trace: cannot write %1</source>
        <translation>--trace: %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <source>Usage: %1

%2

%3
%4</source>
        <translation>Aufruf: %1

%2

%3
%4</translation>
    </message>
    <message>
        <source>The global options (--simulate, --trace, --quiet) and the exit status: krx738-cli --help.
</source>
        <translation>Die globalen Optionen (--simulate, --trace, --quiet) und die Rückgabewerte: krx738-cli --help.
</translation>
    </message>
    <message>
        <source>--%1: &apos;%2&apos; is not allowed; give %3 from %4 to %5</source>
        <translation>--%1: „%2“ ist nicht erlaubt; geben Sie %3 von %4 bis %5 an</translation>
    </message>
    <message>
        <source>--voltage: &apos;%1&apos; is not allowed; choose 10, 100, 500, 1000 or auto</source>
        <translation>--voltage: „%1“ ist nicht erlaubt; wählen Sie 10, 100, 500, 1000 oder auto</translation>
    </message>
    <message>
        <source>--format: &apos;%1&apos; is not allowed; choose csv, jsonl or spreadsheet</source>
        <translation>--format: „%1“ ist nicht erlaubt; wählen Sie csv, jsonl oder spreadsheet</translation>
    </message>
    <message>
        <source>csv (UTF-8, &quot;,&quot;, &quot;.&quot;), jsonl (one JSON object per line) or spreadsheet (the Save dialect: Windows-1252, &quot;;&quot;, the locale&apos;s decimal separator). Default: csv.</source>
        <translation>csv (UTF-8, „,“, „.“), jsonl (ein JSON-Objekt je Zeile) oder spreadsheet (die Form von Speichern: Windows-1252, „;“, das Dezimaltrennzeichen des Gebietsschemas). Vorgabe: csv.</translation>
    </message>
    <message>
        <source>Write the records to FILE instead of standard output (csv and jsonl create or empty it; spreadsheet appends, as Save does).</source>
        <translation>Die Datensätze in FILE statt auf die Standardausgabe schreiben (csv und jsonl legen sie an oder leeren sie; spreadsheet hängt an, wie Speichern).</translation>
    </message>
    <message>
        <source>The test history: sqlite, sqlite:/path/file.sqlite or postgresql://user@host:port/dbname (default: HistoryDatabase of the settings file, else the SQLite file in the user&apos;s data folder).</source>
        <translation>Die Prüfhistorie: sqlite, sqlite:/pfad/datei.sqlite oder postgresql://user@host:port/dbname (Vorgabe: HistoryDatabase der Einstellungsdatei, sonst die SQLite-Datei im Datenordner des Benutzers).</translation>
    </message>
    <message>
        <source>--database: &apos;%1&apos; is not allowed; give sqlite, sqlite:/path/file.sqlite or postgresql://user@host:port/dbname</source>
        <translation>--database: „%1“ ist nicht erlaubt; geben Sie sqlite, sqlite:/pfad/datei.sqlite oder postgresql://user@host:port/dbname an</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>Standardausgabe</translation>
    </message>
    <message>
        <source>the line could not be written</source>
        <translation>die Zeile konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>Fehler %1</translation>
    </message>
    <message>
        <source>and press Init again.</source>
        <translation>und drücken Sie erneut Init.</translation>
    </message>
    <message>
        <source>and run krx738-cli again.</source>
        <translation>und rufen Sie krx738-cli erneut auf.</translation>
    </message>
    <message>
        <source>the KRX 738 stopped answering after its identity</source>
        <translation>der KRX 738 antwortete nach seiner Kennung nicht mehr</translation>
    </message>
    <message>
        <source>the KRX 738 on bus %1, address %2 is in use by another krx738-cli; wait for it to end</source>
        <translation>der KRX 738 an Bus %1, Adresse %2 wird von einem anderen krx738-cli benutzt; warten Sie, bis es endet</translation>
    </message>
    <message>
        <source>%1 KRX 738 are attached; choose one with --serial S or KRX738_SERIAL=S: %2</source>
        <translation>%1 KRX 738 sind angeschlossen; wählen Sie einen mit --serial S oder KRX738_SERIAL=S: %2</translation>
    </message>
    <message>
        <source>the KRX 738 %1 is in use by another krx738-cli; wait for it to end</source>
        <translation>der KRX 738 %1 wird von einem anderen krx738-cli benutzt; warten Sie, bis es endet</translation>
    </message>
    <message>
        <source>meter %1 is in use by another program or not attached (attached: %2)</source>
        <translation>Messgerät %1 wird von einem anderen Programm benutzt oder ist nicht angeschlossen (angeschlossen: %2)</translation>
    </message>
    <message>
        <source>meter %1 is not attached (attached: %2)</source>
        <translation>Messgerät %1 ist nicht angeschlossen (angeschlossen: %2)</translation>
    </message>
    <message>
        <source>the KRX 738 did not send its setup; nothing was changed</source>
        <translation>der KRX 738 hat seine Einstellung nicht gesendet; nichts wurde geändert</translation>
    </message>
    <message>
        <source>the KRX 738 did not take the setup (%1)</source>
        <translation>der KRX 738 hat die Einstellung nicht angenommen (%1)</translation>
    </message>
    <message>
        <source>the setup was written, but the KRX 738 did not send it back</source>
        <translation>die Einstellung wurde geschrieben, aber der KRX 738 hat sie nicht zurückgesendet</translation>
    </message>
    <message>
        <source>Measuring voltage: 10, 100, 500, 1000 or auto.</source>
        <translation>Messspannung: 10, 100, 500, 1000 oder auto.</translation>
    </message>
    <message>
        <source>Automatic voltage on.</source>
        <translation>Automatische Spannung ein.</translation>
    </message>
    <message>
        <source>Automatic voltage off.</source>
        <translation>Automatische Spannung aus.</translation>
    </message>
    <message>
        <source>technical or exponent.</source>
        <translation>technical oder exponent.</translation>
    </message>
    <message>
        <source>Timer measurements average.</source>
        <translation>Timermessungen bilden den Mittelwert.</translation>
    </message>
    <message>
        <source>Timer measurements keep the lapse.</source>
        <translation>Timermessungen behalten den Verlauf.</translation>
    </message>
    <message>
        <source>Measuring timer, 1 to 600 seconds.</source>
        <translation>Messtimer, 1 bis 600 Sekunden.</translation>
    </message>
    <message>
        <source>Break-down timer, 1 to 9999 seconds.</source>
        <translation>Durchschlagtimer, 1 bis 9999 Sekunden.</translation>
    </message>
    <message>
        <source>Break-off timer, 1 to 9999 seconds.</source>
        <translation>Abrisstimer, 1 bis 9999 Sekunden.</translation>
    </message>
    <message>
        <source>--auto and --manual: choose one</source>
        <translation>--auto und --manual: wählen Sie eines</translation>
    </message>
    <message>
        <source>--voltage auto and --manual: choose one</source>
        <translation>--voltage auto und --manual: wählen Sie eines</translation>
    </message>
    <message>
        <source>--display: &apos;%1&apos; is not allowed; choose technical or exponent</source>
        <translation>--display: „%1“ ist nicht erlaubt; wählen Sie technical oder exponent</translation>
    </message>
    <message>
        <source>krx738-cli [global options] setup [--voltage V] [--auto|--manual] [--display technical|exponent] [--average|--lapse] [--timer S] [--breakdown-timer S] [--breakoff-timer S]</source>
        <translation>krx738-cli [globale Optionen] setup [--voltage V] [--auto|--manual] [--display technical|exponent] [--average|--lapse] [--timer S] [--breakdown-timer S] [--breakoff-timer S]</translation>
    </message>
    <message>
        <source>Writes the given parts of the measuring setup and the timers, then prints the setup as the meter reads it back (without options: only prints it).</source>
        <translation>Schreibt die angegebenen Teile der Messeinstellung und die Timer, dann gibt es die Einstellung aus, wie das Messgerät sie zurückliest (ohne Optionen: gibt sie nur aus).</translation>
    </message>
    <message>
        <source>With --test step: the rising voltages, two or more of 10, 100, 500 and 1000 (default 100,500,1000).</source>
        <translation>Mit --test step: die steigenden Spannungen, zwei oder mehr aus 10, 100, 500 und 1000 (Vorgabe 100,500,1000).</translation>
    </message>
    <message>
        <source>With --test step: each step&apos;s length, %1 to %2 seconds (default 60).</source>
        <translation>Mit --test step: die Dauer jeder Stufe, %1 bis %2 Sekunden (Vorgabe 60).</translation>
    </message>
    <message>
        <source>--%1 needs --test step</source>
        <translation>--%1 braucht --test step</translation>
    </message>
    <message>
        <source>--%1 does not go with --test step</source>
        <translation>--%1 passt nicht zu --test step</translation>
    </message>
    <message>
        <source>--steps: %1</source>
        <translation>--steps: %1</translation>
    </message>
    <message>
        <source>--test step: %1</source>
        <translation>--test step: %1</translation>
    </message>
    <message>
        <source>step %1 of %2: %3 V</source>
        <translation>Stufe %1 von %2: %3 V</translation>
    </message>
    <message>
        <source>test: step (%1 V, %2 s each)</source>
        <translation>Prüfung: Stufen (%1 V, je %2 s)</translation>
    </message>
    <message>
        <source>step %1, %2 V: R %3, at 40 C %4</source>
        <translation>Stufe %1, %2 V: R %3, bei 40 C %4</translation>
    </message>
    <message>
        <source>change from the lowest to the highest step: %1</source>
        <translation>Änderung von der niedrigsten zur höchsten Stufe: %1</translation>
    </message>
    <message>
        <source>source: %1</source>
        <translation>Quelle: %1</translation>
    </message>
    <message>
        <source>step-voltage test at %1 V, %2 s each; Ctrl-C ends</source>
        <translation>Stufenspannungsprüfung mit %1 V, je %2 s; Strg-C beendet</translation>
    </message>
    <message>
        <source>  figures RECORDING.csv   a recording&apos;s figures and verdicts, judged by a nameplate
</source>
        <translation>  figures AUFZEICHNUNG.csv  Kennwerte und Bewertungen einer Aufzeichnung, nach Typenschild
</translation>
    </message>
    <message>
        <source>  history list            the assets of the test history, with their test counts
  history show ASSET      the tests filed under an asset
  history export ASSET    an asset&apos;s tests as a file (csv, spreadsheet or jsonl)
  history send            send the tests kept in the outbox to the database
</source>
        <translation>  history list            die Prüflinge der Prüfhistorie, mit der Zahl ihrer Prüfungen
  history show PRÜFLING   die unter einem Prüfling abgelegten Prüfungen
  history export PRÜFLING die Prüfungen eines Prüflings als Datei (csv, spreadsheet oder jsonl)
  history send            die im Postausgang wartenden Prüfungen an die Datenbank senden
</translation>
    </message>
    <message>
        <source>  list                    meters found, and whether this user may open them
</source>
        <translation>  list                    gefundene Messgeräte, und ob dieser Benutzer sie öffnen darf
</translation>
    </message>
    <message>
        <source>  info                    identity, battery, setup and timers of the meter
</source>
        <translation>  info                    Kennung, Batterie, Einstellung und Timer des Messgeräts
</translation>
    </message>
    <message>
        <source>  measure                 live readings, one record per reading
</source>
        <translation>  measure                 laufende Messwerte, ein Datensatz je Messwert
</translation>
    </message>
    <message>
        <source>  memory read ohm|bd      the records of the resistance or break-down memory
  memory erase ohm|bd     erase a memory (needs --yes)
</source>
        <translation>  memory read ohm|bd      die Datensätze des Widerstands- oder Durchschlagspeichers
  memory erase ohm|bd     einen Speicher löschen (braucht --yes)
</translation>
    </message>
    <message>
        <source>  setup                   write the measuring setup and timers, print them read back
</source>
        <translation>  setup                   Messeinstellung und Timer schreiben, zurückgelesen ausgeben
</translation>
    </message>
    <message>
        <source>Exit status:
  0  done
  1  usage: an argument is wrong (nothing was sent to the meter)
  2  no meter found, or the meter chosen by its serial number is not attached
  3  no access to the meter (udev rule missing, or another krx738-cli uses it)
  4  connection to the meter lost (the records written so far are complete)
  5  file error: the output or trace file cannot be written, or figures: the recording
     cannot be read, is not a recording or was cut off, or plan import: the plan file
     cannot be read or was refused (nothing was imported; the message names the line)
  6  the meter did not measure (no stable measuring voltage)
  7  the test history cannot be used (measure --asset: the test was kept in the outbox,
     or could not be kept; the message says which)
  8  memory read --range: file numbers of the range are not in the meter&apos;s memory; the
     records that are there were written, the message names the missing ones
  9  history show, export: the test history holds no asset of that id; plan status --area:
     the plan has no such area
  10  several meters are attached and none was chosen with --serial or KRX738_SERIAL;
      the message lists their serial numbers (nothing but their identity was asked)
  11  plan status: an item listed failed its last verification or is overdue (the list
      was written in full)
</source>
        <translation>Rückgabewerte:
  0  fertig
  1  Aufruf: ein Argument ist falsch (nichts wurde an das Messgerät gesendet)
  2  kein Messgerät gefunden, oder das per Seriennummer gewählte ist nicht angeschlossen
  3  kein Zugriff auf das Messgerät (udev-Regel fehlt, oder ein anderes krx738-cli benutzt es)
  4  Verbindung zum Messgerät verloren (die bis dahin geschriebenen Datensätze sind vollständig)
  5  Dateifehler: die Ausgabe- oder Protokolldatei lässt sich nicht schreiben, oder figures: die
     Aufzeichnung lässt sich nicht lesen, ist keine Aufzeichnung oder ist abgeschnitten, oder
     plan import: die Plandatei lässt sich nicht lesen oder wurde abgelehnt (nichts wurde
     importiert; die Meldung nennt die Zeile)
  6  das Messgerät hat nicht gemessen (keine stabile Messspannung)
  7  die Prüfhistorie ist nicht nutzbar (measure --asset: die Prüfung blieb im Postausgang,
     oder konnte nicht behalten werden; die Meldung sagt, was davon)
  8  memory read --range: Dateinummern des Bereichs sind nicht im Speicher des Messgeräts; die
     vorhandenen Datensätze wurden geschrieben, die Meldung nennt die fehlenden
  9  history show, export: die Prüfhistorie enthält keinen Prüfling dieser ID; plan status
     --area: der Plan hat keinen solchen Bereich
  10  mehrere Messgeräte sind angeschlossen und keines wurde mit --serial oder KRX738_SERIAL
      gewählt; die Meldung listet ihre Seriennummern (nur ihre Kennung wurde abgefragt)
  11  plan status: ein aufgeführtes Objekt hat seine letzte Wiederholungsprüfung nicht bestanden oder
      ist überfällig (die Liste wurde vollständig geschrieben)
</translation>
    </message>
</context>
<context>
    <name>krx::ReadingPlot</name>
    <message>
        <source>Resistance</source>
        <translation>Widerstand</translation>
    </message>
    <message>
        <source>Voltage (V)</source>
        <translation>Spannung (V)</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Spannung</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>Underflow</source>
        <translation>Unterlauf</translation>
    </message>
    <message>
        <source>Time (s)</source>
        <translation>Zeit (s)</translation>
    </message>
    <message>
        <source>Time (min)</source>
        <translation>Zeit (min)</translation>
    </message>
    <message>
        <source>Time (h)</source>
        <translation>Zeit (h)</translation>
    </message>
</context>
<context>
    <name>krx::history::Plan</name>
    <message>
        <source> The verification was not filed.</source>
        <translation> Die Wiederholungsprüfung wurde nicht abgelegt.</translation>
    </message>
    <message>
        <source>there is no item &quot;%1&quot; in its plan</source>
        <translation>im Plan gibt es kein Objekt „%1“</translation>
    </message>
    <message>
        <source>the item &quot;%1&quot; was retired from its plan</source>
        <translation>das Objekt „%1“ wurde aus seinem Plan genommen</translation>
    </message>
</context>
</TS>
