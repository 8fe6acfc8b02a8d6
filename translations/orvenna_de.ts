<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>orvenna::app::TAlertBook</name>
    <message>
        <source>Until it starts</source>
        <translation>Bis zum Beginn</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TAppCore</name>
    <message>
        <source>&quot;%1&quot; was changed by another program and cannot be read (%2). The calendar keeps the notes it has; its next save keeps a copy of the changed file.</source>
        <translation>„%1“ wurde von einem anderen Programm geändert und kann nicht gelesen werden (%2). Der Kalender behält seine Notizen; beim nächsten Speichern wird eine Kopie der geänderten Datei aufbewahrt.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is damaged (%2). The calendar uses what could be read; the file could not be copied aside (%3).</source>
        <translation>„%1“ ist beschädigt (%2). Der Kalender verwendet, was gelesen werden konnte; die Datei konnte nicht beiseitegelegt werden (%3).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is damaged (%2). The calendar uses what could be read; the file as it was is kept as &quot;%3&quot;.</source>
        <translation>„%1“ ist beschädigt (%2). Der Kalender verwendet, was gelesen werden konnte; die Datei, wie sie war, wird als „%3“ aufbewahrt.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by another program and cannot be read whole (%2). What could be read was kept with your change; the file could not be copied aside (%3).</source>
        <translation>„%1“ wurde von einem anderen Programm geändert und kann nicht vollständig gelesen werden (%2). Was gelesen werden konnte, wurde mit Ihrer Änderung behalten; die Datei konnte nicht beiseitegelegt werden (%3).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by another program and cannot be read whole (%2). What could be read was kept with your change; the file as it was is kept as &quot;%3&quot;.</source>
        <translation>„%1“ wurde von einem anderen Programm geändert und kann nicht vollständig gelesen werden (%2). Was gelesen werden konnte, wurde mit Ihrer Änderung behalten; die Datei, wie sie war, wird als „%3“ aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TCalendarForm</name>
    <message>
        <source>Previous Month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Next Month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Übersicht...</translation>
    </message>
    <message>
        <source>&amp;Setting...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>The wallpaper file format is not supported, program will use the default setting.</source>
        <translation>Das Dateiformat des Hintergrundbildes wird nicht unterstützt; das Programm verwendet die Standardeinstellung.</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TForm1</name>
    <message>
        <source>         When the program first runs, it will minimize to an icon in right bottom area of task bar.The calendar will be shown as  the desktop appears. It sticks on the desktop wallpaper even the &quot;toggle desktop&quot; button be clicked.</source>
        <translation>         Beim ersten Start verkleinert sich das Programm zu einem Symbol unten rechts in der Taskleiste. Der Kalender erscheint mit dem Desktop. Er bleibt auf dem Hintergrundbild, auch wenn die Schaltfläche „Desktop anzeigen“ geklickt wird.</translation>
    </message>
    <message>
        <source>Notice</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Bitte beachten</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TMissedForm</name>
    <message>
        <source>Missed reminders</source>
        <translation>Verpasste Erinnerungen</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Uhrzeit</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <source>&amp;Dismiss</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>Dismiss &amp;all</source>
        <translation>&amp;Alle verwerfen</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TSyncRunner</name>
    <message>
        <source>%1 of %2 received</source>
        <translation>%1 von %2 empfangen</translation>
    </message>
    <message>
        <source>%1 of %2 sent</source>
        <translation>%1 von %2 gesendet</translation>
    </message>
    <message>
        <source>Syncing...</source>
        <translation>Abgleich läuft...</translation>
    </message>
    <message>
        <source>Syncing: %1</source>
        <translation>Abgleich: %1</translation>
    </message>
    <message>
        <source>Offline since %1: the server cannot be reached</source>
        <translation>Offline seit %1: Der Server ist nicht erreichbar</translation>
    </message>
    <message>
        <source>The sync at %1 failed</source>
        <translation>Der Abgleich um %1 ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Synced at %1: %2 received, %3 sent</source>
        <translation>Abgeglichen um %1: %2 empfangen, %3 gesendet</translation>
    </message>
    <message numerus="yes">
        <source>, %n kept twice (changed on both sides)</source>
        <translation>
            <numerusform>, %n doppelt behalten (auf beiden Seiten geändert)</numerusform>
            <numerusform>, %n doppelt behalten (auf beiden Seiten geändert)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the rest next time</source>
        <translation>, der Rest beim nächsten Mal</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>No password is known for %1.</source>
        <translation>Für %1 ist kein Passwort bekannt.</translation>
    </message>
    <message>
        <source>The address gives no calendar.</source>
        <translation>Unter der Adresse ist kein Kalender.</translation>
    </message>
    <message>
        <source>The server answered %1.</source>
        <translation>Der Server antwortete %1.</translation>
    </message>
    <message>
        <source>Password of %1 at %2:</source>
        <translation>Passwort von %1 auf %2:</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TWindowManager</name>
    <message>
        <source>Reminder:</source>
        <translation>Erinnerung:</translation>
    </message>
    <message>
        <source>Alert</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Snooze</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Verwerfen</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TAboutForm</name>
    <message>
        <source>About Orvenna</source>
        <translation>Über Orvenna</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>A calendar and reminders on your desktop.</source>
        <translation>Ein Kalender mit Erinnerungen auf Ihrem Desktop.</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TBrowseForm</name>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>Year:</source>
        <translation>Jahr:</translation>
    </message>
    <message>
        <source>Month:</source>
        <translation>Monat:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exportieren...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>&lt;type keyword here&gt;</source>
        <translation>&lt;Suchbegriff eingeben&gt;</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TICalCommands</name>
    <message>
        <source>Export iCalendar</source>
        <translation>iCalendar exportieren</translation>
    </message>
    <message>
        <source>The year %1</source>
        <translation>Das Jahr %1</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>to</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>Export iCalendar...</source>
        <translation>iCalendar exportieren...</translation>
    </message>
    <message>
        <source>Import iCalendar...</source>
        <translation>iCalendar importieren...</translation>
    </message>
    <message>
        <source>Import iCalendar</source>
        <translation>iCalendar importieren</translation>
    </message>
    <message>
        <source>%1 is too large for a calendar; nothing imported.</source>
        <translation>%1 ist zu groß für einen Kalender; nichts importiert.</translation>
    </message>
    <message>
        <source>%1: %2; nothing imported.</source>
        <translation>%1: %2; nichts importiert.</translation>
    </message>
    <message>
        <source>iCalendar files (*.ics)|*.ics|All files (*)|*</source>
        <translation>iCalendar-Dateien (*.ics)|*.ics|Alle Dateien (*)|*</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TNoteForm</name>
    <message>
        <source>Note and Reminder</source>
        <translation>Notiz und Erinnerung</translation>
    </message>
    <message>
        <source>&amp;Note</source>
        <translation>&amp;Notiz</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>press CTRL+ Enter to save </source>
        <translation>Strg+Eingabe speichert </translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TReminderForm</name>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>IMMEDIATELY</source>
        <translation>SOFORT</translation>
    </message>
    <message>
        <source>5 MIN BEFORE</source>
        <translation>5 MIN VORHER</translation>
    </message>
    <message>
        <source>10 MIN BEFORE</source>
        <translation>10 MIN VORHER</translation>
    </message>
    <message>
        <source>15 MIN BEFORE</source>
        <translation>15 MIN VORHER</translation>
    </message>
    <message>
        <source>20 MIN BEFORE</source>
        <translation>20 MIN VORHER</translation>
    </message>
    <message>
        <source>1 HOUR BEFORE</source>
        <translation>1 STUNDE VORHER</translation>
    </message>
    <message>
        <source>1 DAY  BEFORE</source>
        <translation>1 TAG VORHER</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Every Day</source>
        <translation>Jeden Tag</translation>
    </message>
    <message>
        <source>Every Week</source>
        <translation>Jede Woche</translation>
    </message>
    <message>
        <source>Every Month</source>
        <translation>Jeden Monat</translation>
    </message>
    <message>
        <source>Every Year</source>
        <translation>Jedes Jahr</translation>
    </message>
    <message>
        <source>Anniversary</source>
        <translation>Jahrestag</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>Geburtstag</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>Geschäftlich</translation>
    </message>
    <message>
        <source>Calls</source>
        <translation>Anrufe</translation>
    </message>
    <message>
        <source>Clients</source>
        <translation>Mandanten</translation>
    </message>
    <message>
        <source>Competition</source>
        <translation>Wettbewerb</translation>
    </message>
    <message>
        <source>Customer</source>
        <translation>Kunde</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Favoriten</translation>
    </message>
    <message>
        <source>Follow up</source>
        <translation>Nachverfolgen</translation>
    </message>
    <message>
        <source>Gifts</source>
        <translation>Geschenke</translation>
    </message>
    <message>
        <source>Holidays</source>
        <translation>Feiertage</translation>
    </message>
    <message>
        <source>Ideas</source>
        <translation>Ideen</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Betreff:</translation>
    </message>
    <message>
        <source>Start at</source>
        <translation>Beginn um</translation>
    </message>
    <message>
        <source>Reminder Before</source>
        <translation>Vorlauf</translation>
    </message>
    <message>
        <source>Recurrency</source>
        <translation>Wiederholung</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Ca&amp;tegory</source>
        <translation>Ka&amp;tegorie</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>orvenna::platform</name>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Die Daten für &apos;%1&apos; konnten nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>orvenna::settings::TSettingForm</name>
    <message>
        <source>Calendar Setting</source>
        <translation>Kalendereinstellungen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;General</source>
        <translation>A&amp;llgemein</translation>
    </message>
    <message>
        <source>Behavior</source>
        <translation>Verhalten</translation>
    </message>
    <message>
        <source>Run at start up</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <source>Enable drag and move </source>
        <translation>Verschieben mit der Maus erlauben </translation>
    </message>
    <message>
        <source>Just display it in the tray</source>
        <translation>Nur im Infobereich anzeigen</translation>
    </message>
    <message>
        <source>Reminder Sound</source>
        <translation>Erinnerungston</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>&amp;First day of the week</source>
        <translation>&amp;Erster Wochentag</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>Sonntag</translation>
    </message>
    <message>
        <source>Monday</source>
        <translation>Montag</translation>
    </message>
    <message>
        <source>As the locale says</source>
        <translation>Wie im Gebietsschema</translation>
    </message>
    <message>
        <source>&amp;Time format</source>
        <translation>&amp;Zeitformat</translation>
    </message>
    <message>
        <source>hh:mm AM/PM</source>
        <translation>hh:mm AM/PM</translation>
    </message>
    <message>
        <source>24-hour</source>
        <translation>24 Stunden</translation>
    </message>
    <message>
        <source>Show &amp;week numbers</source>
        <translation>&amp;Kalenderwochen anzeigen</translation>
    </message>
    <message>
        <source>A&amp;lerts</source>
        <translation>Erin&amp;nerungen</translation>
    </message>
    <message>
        <source>Reminder alerts</source>
        <translation>Erinnerungshinweise</translation>
    </message>
    <message>
        <source>Keep alerts on screen until dismissed</source>
        <translation>Hinweise bis zum Verwerfen anzeigen</translation>
    </message>
    <message>
        <source>Snooze button puts an alert off for</source>
        <translation>„Später“ verschiebt einen Hinweis um</translation>
    </message>
    <message>
        <source>The arrow beside it offers the other lengths, and &quot;Until it starts&quot; for a reminder with a lead time.</source>
        <translation>Der Pfeil daneben bietet die anderen Zeiten an, bei einer Erinnerung mit Vorlauf auch „Bis zum Beginn“.</translation>
    </message>
    <message>
        <source>&amp;Appearance</source>
        <translation>A&amp;ussehen</translation>
    </message>
    <message>
        <source>Title Background</source>
        <translation>Titelhintergrund</translation>
    </message>
    <message>
        <source>Be Transparent</source>
        <translation>Durchsichtig</translation>
    </message>
    <message>
        <source>Use Picture File</source>
        <translation>Bilddatei</translation>
    </message>
    <message>
        <source>Element</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>TitleBar</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Schrift</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>B</source>
        <translation>F</translation>
    </message>
    <message>
        <source>I</source>
        <translation>K</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Sound Files|*.wav</source>
        <translation>Klangdateien|*.wav</translation>
    </message>
    <message>
        <source>Bitmaps (*.bmp)|*.bmp</source>
        <translation>Bitmaps (*.bmp)|*.bmp</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>Ab&amp;gleich</translation>
    </message>
</context>
<context>
    <name>orvenna::settings::TSyncPage</name>
    <message>
        <source>&quot;%1&quot; is not an %2 address.</source>
        <translation>„%1“ ist keine %2-Adresse.</translation>
    </message>
    <message>
        <source>http or https</source>
        <translation>http- oder https</translation>
    </message>
    <message>
        <source>http, https or webcal</source>
        <translation>http-, https- oder webcal</translation>
    </message>
    <message>
        <source>Calendar server</source>
        <translation>Kalenderserver</translation>
    </message>
    <message>
        <source>Sync &amp;now</source>
        <translation>&amp;Jetzt abgleichen</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>&amp;Adresse:</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>&amp;Benutzername:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>Calendar:</source>
        <translation>Kalender:</translation>
    </message>
    <message>
        <source>Last sync:</source>
        <translation>Letzter Abgleich:</translation>
    </message>
    <message>
        <source>Subscribed calendars (read only)</source>
        <translation>Abonnierte Kalender (nur lesen)</translation>
    </message>
    <message>
        <source>One .ics address a line (http, https or webcal)</source>
        <translation>Eine .ics-Adresse je Zeile (http, https oder webcal)</translation>
    </message>
    <message>
        <source>(kept; type to change)</source>
        <translation>(gespeichert; zum Ändern eintippen)</translation>
    </message>
    <message>
        <source>(none yet)</source>
        <translation>(noch keiner)</translation>
    </message>
    <message numerus="yes">
        <source>and %n more (point here to read them all)</source>
        <translation>
            <numerusform>und %n weiterer (hier zeigen, um alle zu lesen)</numerusform>
            <numerusform>und %n weitere (hier zeigen, um alle zu lesen)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>orvenna::store</name>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>&apos;%1&apos; ist keine gültige Uhrzeit</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date</source>
        <translation>&apos;%1&apos; ist kein gültiges Datum</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date and time</source>
        <translation>&apos;%1&apos; ist keine gültige Angabe von Datum und Uhrzeit</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; ist keine gültige ganze Zahl</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. %2</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Lesefehler im Datenstrom</translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation>Schreibfehler im Datenstrom</translation>
    </message>
    <message>
        <source>Invalid stream format</source>
        <translation>Ungültiges Datenstromformat</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Ungültiger Eigenschaftswert</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 Stunden</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
</context>
</TS>
