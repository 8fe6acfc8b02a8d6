<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>orvenna::app::TAlertBook</name>
    <message>
        <source>Until it starts</source>
        <translation>Jusqu’au début</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TAppCore</name>
    <message>
        <source>&quot;%1&quot; was changed by another program and cannot be read (%2). The calendar keeps the notes it has; its next save keeps a copy of the changed file.</source>
        <translation>« %1 » a été modifié par un autre programme et ne peut pas être lu (%2). Le calendrier garde ses notes ; son prochain enregistrement garde une copie du fichier modifié.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is damaged (%2). The calendar uses what could be read; the file could not be copied aside (%3).</source>
        <translation>« %1 » est endommagé (%2). Le calendrier utilise ce qui a pu être lu ; le fichier n’a pas pu être mis de côté (%3).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is damaged (%2). The calendar uses what could be read; the file as it was is kept as &quot;%3&quot;.</source>
        <translation>« %1 » est endommagé (%2). Le calendrier utilise ce qui a pu être lu ; le fichier tel qu’il était est gardé sous « %3 ».</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by another program and cannot be read whole (%2). What could be read was kept with your change; the file could not be copied aside (%3).</source>
        <translation>« %1 » a été modifié par un autre programme et ne peut pas être lu en entier (%2). Ce qui a pu être lu a été gardé avec votre modification ; le fichier n’a pas pu être mis de côté (%3).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by another program and cannot be read whole (%2). What could be read was kept with your change; the file as it was is kept as &quot;%3&quot;.</source>
        <translation>« %1 » a été modifié par un autre programme et ne peut pas être lu en entier (%2). Ce qui a pu être lu a été gardé avec votre modification ; le fichier tel qu’il était est gardé sous « %3 ».</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TCalendarForm</name>
    <message>
        <source>Previous Month</source>
        <translation>Mois précédent</translation>
    </message>
    <message>
        <source>Next Month</source>
        <translation>Mois suivant</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Parcourir...</translation>
    </message>
    <message>
        <source>&amp;Setting...</source>
        <translation>Pa&amp;ramètres...</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Actualiser</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>The wallpaper file format is not supported, program will use the default setting.</source>
        <translation>Le format du fichier de fond d’écran n’est pas pris en charge ; le programme utilisera le réglage par défaut.</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TForm1</name>
    <message>
        <source>         When the program first runs, it will minimize to an icon in right bottom area of task bar.The calendar will be shown as  the desktop appears. It sticks on the desktop wallpaper even the &quot;toggle desktop&quot; button be clicked.</source>
        <translation>         Au premier lancement, le programme se réduit en une icône en bas à droite de la barre des tâches. Le calendrier apparaît avec le bureau. Il reste sur le fond d’écran, même quand on clique sur le bouton « Afficher le bureau ».</translation>
    </message>
    <message>
        <source>Notice</source>
        <translation>Avis</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Remarque</translation>
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
        <translation>Rappels manqués</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Heure</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Objet</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Dismiss</source>
        <translation>&amp;Ignorer</translation>
    </message>
    <message>
        <source>Dismiss &amp;all</source>
        <translation>Tout i&amp;gnorer</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TSyncRunner</name>
    <message>
        <source>%1 of %2 received</source>
        <translation>%1 sur %2 reçus</translation>
    </message>
    <message>
        <source>%1 of %2 sent</source>
        <translation>%1 sur %2 envoyés</translation>
    </message>
    <message>
        <source>Syncing...</source>
        <translation>Synchronisation...</translation>
    </message>
    <message>
        <source>Syncing: %1</source>
        <translation>Synchronisation : %1</translation>
    </message>
    <message>
        <source>Offline since %1: the server cannot be reached</source>
        <translation>Hors ligne depuis %1 : le serveur est injoignable</translation>
    </message>
    <message>
        <source>The sync at %1 failed</source>
        <translation>La synchronisation de %1 a échoué</translation>
    </message>
    <message>
        <source>Synced at %1: %2 received, %3 sent</source>
        <translation>Synchronisé à %1 : %2 reçus, %3 envoyés</translation>
    </message>
    <message numerus="yes">
        <source>, %n kept twice (changed on both sides)</source>
        <translation>
            <numerusform>, %n gardé en double (modifié des deux côtés)</numerusform>
            <numerusform>, %n gardés en double (modifiés des deux côtés)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the rest next time</source>
        <translation>, le reste la prochaine fois</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>No password is known for %1.</source>
        <translation>Aucun mot de passe connu pour %1.</translation>
    </message>
    <message>
        <source>The address gives no calendar.</source>
        <translation>L&apos;adresse ne donne aucun calendrier.</translation>
    </message>
    <message>
        <source>The server answered %1.</source>
        <translation>Le serveur a répondu %1.</translation>
    </message>
    <message>
        <source>Password of %1 at %2:</source>
        <translation>Mot de passe de %1 sur %2 :</translation>
    </message>
</context>
<context>
    <name>orvenna::app::TWindowManager</name>
    <message>
        <source>Reminder:</source>
        <translation>Rappel :</translation>
    </message>
    <message>
        <source>Alert</source>
        <translation>Alerte</translation>
    </message>
    <message>
        <source>Snooze</source>
        <translation>Reporter</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Ignorer</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TAboutForm</name>
    <message>
        <source>About Orvenna</source>
        <translation>À propos d’Orvenna</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>A calendar and reminders on your desktop.</source>
        <translation>Un calendrier et des rappels sur votre bureau.</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TBrowseForm</name>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Year:</source>
        <translation>Année :</translation>
    </message>
    <message>
        <source>Month:</source>
        <translation>Mois :</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Rechercher</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exporter...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Fermer</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Édition</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Outils</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Année</translation>
    </message>
    <message>
        <source>&lt;type keyword here&gt;</source>
        <translation>&lt;tapez un mot-clé&gt;</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Rappel</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Enregistrer sous</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TICalCommands</name>
    <message>
        <source>Export iCalendar</source>
        <translation>Exporter en iCalendar</translation>
    </message>
    <message>
        <source>The year %1</source>
        <translation>L’année %1</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Du</translation>
    </message>
    <message>
        <source>to</source>
        <translation>au</translation>
    </message>
    <message>
        <source>Export iCalendar...</source>
        <translation>Exporter en iCalendar...</translation>
    </message>
    <message>
        <source>Import iCalendar...</source>
        <translation>Importer un iCalendar...</translation>
    </message>
    <message>
        <source>Import iCalendar</source>
        <translation>Importer un iCalendar</translation>
    </message>
    <message>
        <source>%1 is too large for a calendar; nothing imported.</source>
        <translation>%1 est trop volumineux pour un calendrier ; rien n’a été importé.</translation>
    </message>
    <message>
        <source>%1: %2; nothing imported.</source>
        <translation>%1 : %2 ; rien n’a été importé.</translation>
    </message>
    <message>
        <source>iCalendar files (*.ics)|*.ics|All files (*)|*</source>
        <translation>Fichiers iCalendar (*.ics)|*.ics|Tous les fichiers (*)|*</translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TNoteForm</name>
    <message>
        <source>Note and Reminder</source>
        <translation>Note et rappel</translation>
    </message>
    <message>
        <source>&amp;Note</source>
        <translation>&amp;Note</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Rappel</translation>
    </message>
    <message>
        <source>press CTRL+ Enter to save </source>
        <translation>Ctrl+Entrée pour enregistrer </translation>
    </message>
</context>
<context>
    <name>orvenna::notes::TReminderForm</name>
    <message>
        <source>Reminder</source>
        <translation>Rappel</translation>
    </message>
    <message>
        <source>IMMEDIATELY</source>
        <translation>IMMÉDIATEMENT</translation>
    </message>
    <message>
        <source>5 MIN BEFORE</source>
        <translation>5 MIN AVANT</translation>
    </message>
    <message>
        <source>10 MIN BEFORE</source>
        <translation>10 MIN AVANT</translation>
    </message>
    <message>
        <source>15 MIN BEFORE</source>
        <translation>15 MIN AVANT</translation>
    </message>
    <message>
        <source>20 MIN BEFORE</source>
        <translation>20 MIN AVANT</translation>
    </message>
    <message>
        <source>1 HOUR BEFORE</source>
        <translation>1 HEURE AVANT</translation>
    </message>
    <message>
        <source>1 DAY  BEFORE</source>
        <translation>1 JOUR AVANT</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>Every Day</source>
        <translation>Chaque jour</translation>
    </message>
    <message>
        <source>Every Week</source>
        <translation>Chaque semaine</translation>
    </message>
    <message>
        <source>Every Month</source>
        <translation>Chaque mois</translation>
    </message>
    <message>
        <source>Every Year</source>
        <translation>Chaque année</translation>
    </message>
    <message>
        <source>Anniversary</source>
        <translation>Commémoration</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>Anniversaire</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>Affaires</translation>
    </message>
    <message>
        <source>Calls</source>
        <translation>Appels</translation>
    </message>
    <message>
        <source>Clients</source>
        <translation>Clients</translation>
    </message>
    <message>
        <source>Competition</source>
        <translation>Concurrence</translation>
    </message>
    <message>
        <source>Customer</source>
        <translation>Client</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Favoris</translation>
    </message>
    <message>
        <source>Follow up</source>
        <translation>Suivi</translation>
    </message>
    <message>
        <source>Gifts</source>
        <translation>Cadeaux</translation>
    </message>
    <message>
        <source>Holidays</source>
        <translation>Congés</translation>
    </message>
    <message>
        <source>Ideas</source>
        <translation>Idées</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Objet :</translation>
    </message>
    <message>
        <source>Start at</source>
        <translation>Début à</translation>
    </message>
    <message>
        <source>Reminder Before</source>
        <translation>Rappel avant</translation>
    </message>
    <message>
        <source>Recurrency</source>
        <translation>Récurrence</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Détail</translation>
    </message>
    <message>
        <source>Ca&amp;tegory</source>
        <translation>Ca&amp;tégorie</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
</context>
<context>
    <name>orvenna::platform</name>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Impossible d’écrire les données de &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>orvenna::settings::TSettingForm</name>
    <message>
        <source>Calendar Setting</source>
        <translation>Paramètres du calendrier</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;General</source>
        <translation>&amp;Général</translation>
    </message>
    <message>
        <source>Behavior</source>
        <translation>Comportement</translation>
    </message>
    <message>
        <source>Run at start up</source>
        <translation>Lancer au démarrage</translation>
    </message>
    <message>
        <source>Enable drag and move </source>
        <translation>Permettre de le déplacer </translation>
    </message>
    <message>
        <source>Just display it in the tray</source>
        <translation>Seulement dans la zone de notification</translation>
    </message>
    <message>
        <source>Reminder Sound</source>
        <translation>Son du rappel</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Calendrier</translation>
    </message>
    <message>
        <source>&amp;First day of the week</source>
        <translation>&amp;Premier jour de la semaine</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>Dimanche</translation>
    </message>
    <message>
        <source>Monday</source>
        <translation>Lundi</translation>
    </message>
    <message>
        <source>As the locale says</source>
        <translation>Selon la langue et la région</translation>
    </message>
    <message>
        <source>&amp;Time format</source>
        <translation>Format de l’&amp;heure</translation>
    </message>
    <message>
        <source>hh:mm AM/PM</source>
        <translation>hh:mm AM/PM</translation>
    </message>
    <message>
        <source>24-hour</source>
        <translation>24 heures</translation>
    </message>
    <message>
        <source>Show &amp;week numbers</source>
        <translation>Afficher les numéros de &amp;semaine</translation>
    </message>
    <message>
        <source>A&amp;lerts</source>
        <translation>A&amp;lertes</translation>
    </message>
    <message>
        <source>Reminder alerts</source>
        <translation>Alertes de rappel</translation>
    </message>
    <message>
        <source>Keep alerts on screen until dismissed</source>
        <translation>Garder les alertes à l’écran jusqu’à les ignorer</translation>
    </message>
    <message>
        <source>Snooze button puts an alert off for</source>
        <translation>« Reporter » repousse une alerte de</translation>
    </message>
    <message>
        <source>The arrow beside it offers the other lengths, and &quot;Until it starts&quot; for a reminder with a lead time.</source>
        <translation>La flèche à côté propose les autres durées, et « Jusqu’au début » pour un rappel anticipé.</translation>
    </message>
    <message>
        <source>&amp;Appearance</source>
        <translation>&amp;Apparence</translation>
    </message>
    <message>
        <source>Title Background</source>
        <translation>Fond du titre</translation>
    </message>
    <message>
        <source>Be Transparent</source>
        <translation>Transparent</translation>
    </message>
    <message>
        <source>Use Picture File</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Element</source>
        <translation>Élément</translation>
    </message>
    <message>
        <source>TitleBar</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Police</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>B</source>
        <translation>G</translation>
    </message>
    <message>
        <source>I</source>
        <translation>I</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>Sound Files|*.wav</source>
        <translation>Fichiers son|*.wav</translation>
    </message>
    <message>
        <source>Bitmaps (*.bmp)|*.bmp</source>
        <translation>Images bitmap (*.bmp)|*.bmp</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>&amp;Synchronisation</translation>
    </message>
</context>
<context>
    <name>orvenna::settings::TSyncPage</name>
    <message>
        <source>&quot;%1&quot; is not an %2 address.</source>
        <translation>« %1 » n&apos;est pas une adresse %2.</translation>
    </message>
    <message>
        <source>http or https</source>
        <translation>http ou https</translation>
    </message>
    <message>
        <source>http, https or webcal</source>
        <translation>http, https ou webcal</translation>
    </message>
    <message>
        <source>Calendar server</source>
        <translation>Serveur de calendrier</translation>
    </message>
    <message>
        <source>Sync &amp;now</source>
        <translation>Synchroniser &amp;maintenant</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>&amp;Adresse :</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>Nom d&apos;&amp;utilisateur :</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>Mot de &amp;passe :</translation>
    </message>
    <message>
        <source>Calendar:</source>
        <translation>Calendrier :</translation>
    </message>
    <message>
        <source>Last sync:</source>
        <translation>Dernière synchro :</translation>
    </message>
    <message>
        <source>Subscribed calendars (read only)</source>
        <translation>Calendriers abonnés (lecture seule)</translation>
    </message>
    <message>
        <source>One .ics address a line (http, https or webcal)</source>
        <translation>Une adresse .ics par ligne (http, https ou webcal)</translation>
    </message>
    <message>
        <source>(kept; type to change)</source>
        <translation>(gardé ; tapez pour changer)</translation>
    </message>
    <message>
        <source>(none yet)</source>
        <translation>(aucun pour le moment)</translation>
    </message>
    <message numerus="yes">
        <source>and %n more (point here to read them all)</source>
        <translation>
            <numerusform>et %n autre (pointez ici pour tout lire)</numerusform>
            <numerusform>et %n autres (pointez ici pour tout lire)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>orvenna::store</name>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>&apos;%1&apos; n’est pas une heure valide</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date</source>
        <translation>&apos;%1&apos; n’est pas une date valide</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date and time</source>
        <translation>&apos;%1&apos; n’est pas une date et heure valide</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; n’est pas un nombre entier valide</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Impossible d’ouvrir le fichier « %1 ». %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Impossible de créer le fichier « %1 ». %2</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Erreur de lecture du flux</translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation>Erreur d’écriture du flux</translation>
    </message>
    <message>
        <source>Invalid stream format</source>
        <translation>Format de flux non valide</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Valeur de propriété non valide</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 heure</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 heures</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 minutes</translation>
    </message>
</context>
</TS>
