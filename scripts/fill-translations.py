#!/usr/bin/env python3
"""Fills the desktop program's translation sources after `lupdate`: the
English file takes each source text as it is, the French file takes its text
from the table below. Entries without a French text stay unfinished, so that
the translation test names them. Run from the repository's top folder."""
import sys
import xml.etree.ElementTree as ET

FRENCH = {
    "&Copy": "&Copier",
    "Select &all": "Tout &sélectionner",
    "&Save as text...": "&Enregistrer en texte...",
    "Save as text": "Enregistrer en texte",
    "Text files (*.txt)": "Fichiers texte (*.txt)",
    "Nothing to draw: no design reviewed yet.": "Rien à dessiner : aucun projet examiné.",
    "Plan": "Vue en plan",
    "Long section": "Profil en long",
    "From": "Du PR",
    "To": "Au PR",
    "Review": "Examen",
    "Check": "Contrôle",
    "Verdict": "Verdict",
    "Message": "Message",
    "User guide": "Guide de l'utilisateur",
    "The user guide is missing: %1": "Le guide de l'utilisateur est absent : %1",
    "No program could be started to show the user guide. Open it in a web browser: %1":
        "Aucun programme n'a pu afficher le guide de l'utilisateur. Ouvrez-le dans un navigateur : %1",
    "About %1": "À propos de %1",
    "Cancel": "Annuler",
    "Review cancelled.": "Examen annulé.",
    "&Open a design...": "&Ouvrir un projet...",
    "Open a road design and review it": "Ouvrir un projet routier et l'examiner",
    "Open the &sample design": "Ouvrir le projet d'e&xemple",
    "&Review again...": "&Réexaminer...",
    "Review the open design again with another selection": "Réexaminer le projet ouvert avec une autre sélection",
    "Export re&port...": "Exporter le ra&pport...",
    "The report (HTML, PDF) is not available in this version":
        "Le rapport (HTML, PDF) n'est pas disponible dans cette version",
    "Export &diagrams...": "Exporter les &diagrammes...",
    "Write the diagrams of the review as SVG and PNG files": "Écrire les diagrammes de l'examen en SVG et PNG",
    "Export road &model...": "Exporter le &modèle de route...",
    "&Quit": "&Quitter",
    "&User guide": "&Guide de l'utilisateur",
    "&System information": "Informations &système",
    "&About Corvalinde": "À &propos de Corvalinde",
    "&File": "&Fichier",
    "Open rec&ent": "Ouvrir un projet &récent",
    "&View": "&Affichage",
    "&Language": "&Langue",
    "As the &system (%1)": "Comme le &système (%1)",
    "&Help": "A&ide",
    "Main toolbar": "Barre d'outils principale",
    "Review a road design": "Examiner un projet routier",
    "Open a design in the native format (.txt), a LandXML file (.xml) or an IFC file (.ifc), or drop one on "
    "this window. After you choose the road type and the reviews, the findings appear here beside the plan "
    "and the long section.":
        "Ouvrez un projet au format natif (.txt), un fichier LandXML (.xml) ou un fichier IFC (.ifc), ou "
        "déposez-le sur cette fenêtre. Après le choix du type de route et des examens, les constats "
        "s'affichent ici à côté de la vue en plan et du profil en long.",
    "Station %1": "PR %1",
    "All reviews": "Tous les examens",
    "All verdicts": "Tous les verdicts",
    "Re&view:": "E&xamen :",
    "Ver&dict:": "Ver&dict :",
    "Road designs (*.txt *.xml *.ifc)": "Projets routiers (*.txt *.xml *.ifc)",
    "All files (*)": "Tous les fichiers (*)",
    "Open a road design": "Ouvrir un projet routier",
    "%1 is not a file that can be read.": "%1 n'est pas un fichier lisible.",
    "No finding here.": "Aucun constat ici.",
    "Export diagrams": "Exporter les diagrammes",
    "Review a design first.": "Examinez d'abord un projet.",
    "Folder for the diagrams": "Dossier des diagrammes",
    "These files could not be written:\n%1": "Ces fichiers n'ont pas pu être écrits :\n%1",
    "Export road model": "Exporter le modèle de route",
    "%1 could not be written.": "%1 n'a pas pu être écrit.",
    "%1 — Corvalinde": "%1 — Corvalinde",
    "Alignment: %1": "Axe : %1",
    "Reviewing %1...": "Examen de %1...",
    "Horizontal alignment": "Tracé en plan",
    "Superelevation": "Dévers",
    "Vertical profile": "Profil en long",
    "Visibility": "Visibilité",
    "2 lanes": "2 voies",
    "3 lanes": "3 voies",
    "2x2 lanes": "2x2 voies",
    "Satisfactory": "Satisfaisant",
    "Fails": "Non conforme",
    "Warning": "Avertissement",
    "Not assessable": "Non évaluable",
    "Reviews a road design for design consistency and safety.":
        "Examine la cohérence et la sécurité d'un projet routier.",
    "Language of the program: fr or en.": "Langue du programme : fr ou en.",
    "A road design to open and review.": "Un projet routier à ouvrir et examiner.",
    "Unknown language %1: use fr or en.": "Langue inconnue %1 : utilisez fr ou en.",
    "Give at most one design to open.": "Donnez au plus un projet à ouvrir.",
}
FRENCH_NUMERUS = {
    "%n diagram file(s) written.": ["%n fichier de diagramme écrit.", "%n fichiers de diagrammes écrits."],
}


def fill(path, french):
    tree = ET.parse(path)
    missing = []
    for message in tree.getroot().iter("message"):
        source = message.find("source").text
        translation = message.find("translation")
        numerus = message.get("numerus") == "yes"
        for child in list(translation):
            translation.remove(child)
        translation.text = None
        if numerus:
            forms = FRENCH_NUMERUS.get(source) if french else [source.replace("(s)", ""), source.replace("(s)", "s")]
            if forms is None:
                missing.append(source)
                translation.set("type", "unfinished")
                continue
            for form in forms:
                ET.SubElement(translation, "numerusform").text = form
        else:
            text = FRENCH.get(source) if french else source
            if text is None:
                missing.append(source)
                translation.set("type", "unfinished")
                continue
            translation.text = text
        translation.attrib.pop("type", None)
    tree.write(path, encoding="utf-8", xml_declaration=True)
    return missing


missing = fill("src/ui/translations/corvalinde_fr.ts", True) + fill("src/ui/translations/corvalinde_en.ts", False)
for source in missing:
    print("no French text:", source, file=sys.stderr)
sys.exit(1 if missing else 0)
