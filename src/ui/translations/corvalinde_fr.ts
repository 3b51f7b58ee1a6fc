<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>AlignmentChoice</name>
    <message>
        <source>%1 — %2 m, %3 to %4</source>
        <translation>%1 — %2 m, de %3 à %4</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>inconnu</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>User guide</source>
        <translation>Guide de l'utilisateur</translation>
    </message>
    <message>
        <source>The user guide is missing: %1</source>
        <translation>Le guide de l'utilisateur est absent : %1</translation>
    </message>
    <message>
        <source>No program could be started to show the user guide. Open it in a web browser: %1</source>
        <translation>Aucun programme n'a pu afficher le guide de l'utilisateur. Ouvrez-le dans un navigateur : %1</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>À propos de %1</translation>
    </message>
</context>
<context>
    <name>Review</name>
    <message>
        <source>Horizontal alignment</source>
        <translation>Tracé en plan</translation>
    </message>
    <message>
        <source>Superelevation</source>
        <translation>Dévers</translation>
    </message>
    <message>
        <source>Vertical profile</source>
        <translation>Profil en long</translation>
    </message>
    <message>
        <source>Visibility</source>
        <translation>Visibilité</translation>
    </message>
</context>
<context>
    <name>ReviewPort</name>
    <message>
        <source>All alignments</source>
        <translation>Tous les axes</translation>
    </message>
</context>
<context>
    <name>RoadType</name>
    <message>
        <source>2 lanes</source>
        <translation>2 voies</translation>
    </message>
    <message>
        <source>3 lanes</source>
        <translation>3 voies</translation>
    </message>
    <message>
        <source>2x2 lanes</source>
        <translation>2x2 voies</translation>
    </message>
</context>
<context>
    <name>Verdict</name>
    <message>
        <source>Satisfactory</source>
        <translation>Satisfaisant</translation>
    </message>
    <message>
        <source>Fails</source>
        <translation>Non conforme</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>Not assessable</source>
        <translation>Non évaluable</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::ConsoleView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>Tout &amp;sélectionner</translation>
    </message>
    <message>
        <source>&amp;Save as text...</source>
        <translation>&amp;Enregistrer en texte...</translation>
    </message>
    <message>
        <source>Save as text</source>
        <translation>Enregistrer en texte</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Fichiers texte (*.txt)</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::DiagramView</name>
    <message>
        <source>Nothing to draw: no design reviewed yet.</source>
        <translation>Rien à dessiner : aucun projet examiné.</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::FindingsModel</name>
    <message>
        <source>From</source>
        <translation>Du PR</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Au PR</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>Examen</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>Contrôle</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::MainWindow</name>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Review cancelled.</source>
        <translation>Examen annulé.</translation>
    </message>
    <message>
        <source>&amp;Open a design...</source>
        <translation>&amp;Ouvrir un projet...</translation>
    </message>
    <message>
        <source>Open a road design and review it</source>
        <translation>Ouvrir un projet routier et l'examiner</translation>
    </message>
    <message>
        <source>Open the &amp;sample design</source>
        <translation>Ouvrir le projet d'e&amp;xemple</translation>
    </message>
    <message>
        <source>&amp;Review again...</source>
        <translation>&amp;Réexaminer...</translation>
    </message>
    <message>
        <source>Review the open design again with another selection</source>
        <translation>Réexaminer le projet ouvert avec une autre sélection</translation>
    </message>
    <message>
        <source>Export re&amp;port...</source>
        <translation>Exporter le ra&amp;pport...</translation>
    </message>
    <message>
        <source>Write the review report as a web page or a PDF document</source>
        <translation>Écrire le rapport d'examen en page web ou en document PDF</translation>
    </message>
    <message>
        <source>Export &amp;diagrams...</source>
        <translation>Exporter les &amp;diagrammes...</translation>
    </message>
    <message>
        <source>Write the diagrams of the review as SVG and PNG files</source>
        <translation>Écrire les diagrammes de l'examen en SVG et PNG</translation>
    </message>
    <message>
        <source>Export road &amp;model...</source>
        <translation>Exporter le &amp;modèle de route...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;User guide</source>
        <translation>&amp;Guide de l'utilisateur</translation>
    </message>
    <message>
        <source>&amp;System information</source>
        <translation>Informations &amp;système</translation>
    </message>
    <message>
        <source>&amp;About Corvalinde</source>
        <translation>À &amp;propos de Corvalinde</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>Open rec&amp;ent</source>
        <translation>Ouvrir un projet &amp;récent</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Langue</translation>
    </message>
    <message>
        <source>As the &amp;system (%1)</source>
        <translation>Comme le &amp;système (%1)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;ide</translation>
    </message>
    <message>
        <source>Main toolbar</source>
        <translation>Barre d'outils principale</translation>
    </message>
    <message>
        <source>The alignment shown</source>
        <translation>L'axe affiché</translation>
    </message>
    <message>
        <source>Review a road design</source>
        <translation>Examiner un projet routier</translation>
    </message>
    <message>
        <source>Open a design in the native format (.txt), a LandXML file (.xml) or an IFC file (.ifc), or drop one on this window. After you choose the road type and the reviews, the findings appear here beside the plan and the long section.</source>
        <translation>Ouvrez un projet au format natif (.txt), un fichier LandXML (.xml) ou un fichier IFC (.ifc), ou déposez-le sur cette fenêtre. Après le choix du type de route et des examens, les constats s'affichent ici à côté de la vue en plan et du profil en long.</translation>
    </message>
    <message>
        <source>All reviews</source>
        <translation>Tous les examens</translation>
    </message>
    <message>
        <source>All verdicts</source>
        <translation>Tous les verdicts</translation>
    </message>
    <message>
        <source>Re&amp;view:</source>
        <translation>E&amp;xamen :</translation>
    </message>
    <message>
        <source>Ver&amp;dict:</source>
        <translation>Ver&amp;dict :</translation>
    </message>
    <message>
        <source>Road designs (*.txt *.xml *.ifc)</source>
        <translation>Projets routiers (*.txt *.xml *.ifc)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Open a road design</source>
        <translation>Ouvrir un projet routier</translation>
    </message>
    <message>
        <source>%1 is not a file that can be read.</source>
        <translation>%1 n'est pas un fichier lisible.</translation>
    </message>
    <message>
        <source>Station %1</source>
        <translation>PR %1</translation>
    </message>
    <message>
        <source>elevation %1 m</source>
        <translation>altitude %1 m</translation>
    </message>
    <message>
        <source>grade %1 %</source>
        <translation>déclivité %1 %</translation>
    </message>
    <message>
        <source>radius %1 m</source>
        <translation>rayon %1 m</translation>
    </message>
    <message>
        <source>straight</source>
        <translation>alignement droit</translation>
    </message>
    <message>
        <source>crossfall %1 % / %2 %</source>
        <translation>dévers %1 % / %2 %</translation>
    </message>
    <message>
        <source>%1 — %2 m (%3 to %4)</source>
        <translation>%1 — %2 m (%3 à %4)</translation>
    </message>
    <message>
        <source>No finding here.</source>
        <translation>Aucun constat ici.</translation>
    </message>
    <message>
        <source>Export diagrams</source>
        <translation>Exporter les diagrammes</translation>
    </message>
    <message>
        <source>Review a design first.</source>
        <translation>Examinez d'abord un projet.</translation>
    </message>
    <message>
        <source>Folder for the diagrams</source>
        <translation>Dossier des diagrammes</translation>
    </message>
    <message numerus="yes">
        <source>%n diagram file(s) written.</source>
        <translation><numerusform>%n fichier de diagramme écrit.</numerusform><numerusform>%n fichiers de diagrammes écrits.</numerusform></translation>
    </message>
    <message>
        <source>These files could not be written:
%1</source>
        <translation>Ces fichiers n'ont pas pu être écrits :
%1</translation>
    </message>
    <message>
        <source>Export report</source>
        <translation>Exporter le rapport</translation>
    </message>
    <message>
        <source>Web page (*.html *.htm);;PDF document (*.pdf)</source>
        <translation>Page web (*.html *.htm);;Document PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Give the report a name ending in .html or .pdf: %1</source>
        <translation>Donnez au rapport un nom finissant par .html ou .pdf : %1</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>%1 n'a pas pu être écrit.</translation>
    </message>
    <message>
        <source>Report written: %1</source>
        <translation>Rapport écrit : %1</translation>
    </message>
    <message>
        <source>Export road model</source>
        <translation>Exporter le modèle de route</translation>
    </message>
    <message>
        <source>%1 — Corvalinde</source>
        <translation>%1 — Corvalinde</translation>
    </message>
    <message>
        <source>Alignment: %1</source>
        <translation>Axe : %1</translation>
    </message>
    <message>
        <source>Reviewing %1...</source>
        <translation>Examen de %1...</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Reviews a road design for design consistency and safety.</source>
        <translation>Examine la cohérence et la sécurité d'un projet routier.</translation>
    </message>
    <message>
        <source>Language of the program: fr or en.</source>
        <translation>Langue du programme : fr ou en.</translation>
    </message>
    <message>
        <source>Write a diagnostic log.</source>
        <translation>Écrire un journal de diagnostic.</translation>
    </message>
    <message>
        <source>A road design to open and review.</source>
        <translation>Un projet routier à ouvrir et examiner.</translation>
    </message>
    <message>
        <source>Unknown language %1: use fr or en.</source>
        <translation>Langue inconnue %1 : utilisez fr ou en.</translation>
    </message>
    <message>
        <source>Give at most one design to open.</source>
        <translation>Donnez au plus un projet à ouvrir.</translation>
    </message>
</context>
</TS>