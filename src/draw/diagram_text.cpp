#include "draw/diagram_text.h"

namespace corvalinde::draw {
namespace {

struct TextPair {
  DiagramText id;
  const char* french;
  const char* english;
};

// One row per text, in the order of DiagramText.
constexpr TextPair kTexts[] = {
    {DiagramText::kPlanTitle, "Tracé en plan", "Plan"},
    {DiagramText::kLongSectionTitle, "Profil en long", "Long section"},
    {DiagramText::kLine, "Droite", "Line"},
    {DiagramText::kArc, "Arc de cercle", "Arc"},
    {DiagramText::kTransition, "Raccordement progressif", "Transition curve"},
    {DiagramText::kElementBoundary, "Limite d'élément", "Element boundary"},
    {DiagramText::kFailing, "Non conforme", "Failing"},
    {DiagramText::kWarning, "Avertissement", "Warning"},
    {DiagramText::kNotAssessable, "Non évaluable", "Not assessable"},
    {DiagramText::kNorth, "N", "N"},
    {DiagramText::kStation, "Abscisse (m)", "Station (m)"},
    {DiagramText::kElevation, "Altitude (m)", "Elevation (m)"},
    {DiagramText::kCurvature, "Courbure (1/km)", "Curvature (1/km)"},
    {DiagramText::kCrossfall, "Dévers (%)", "Crossfall (%)"},
    {DiagramText::kCrossfallLeft, "Gauche", "Left"},
    {DiagramText::kCrossfallRight, "Droite", "Right"},
    {DiagramText::kVerticalExaggeration, "Exagération verticale ×", "Vertical exaggeration ×"},
    {DiagramText::kPvi, "Sommet", "PVI"},
    {DiagramText::kNoPlan, "Pas de tracé en plan", "No horizontal alignment"},
    {DiagramText::kNoProfile, "Pas de profil en long", "No vertical profile"},
    {DiagramText::kNoCrossfall, "Pas de dévers", "No crossfall"},
    {DiagramText::kOperatingSpeedTitle, "Vitesse pratiquée", "Operating speed"},
    {DiagramText::kStoppingSightTitle, "Visibilité d'arrêt", "Stopping sight distance"},
    {DiagramText::kPassingTitle, "Visibilité de dépassement", "Passing"},
    {DiagramText::kForward, "Sens des abscisses croissantes", "Direction of increasing stations"},
    {DiagramText::kBackward, "Sens des abscisses décroissantes", "Direction of decreasing stations"},
    {DiagramText::kOperatingSpeed, "Vitesse pratiquée (km/h)", "Operating speed (km/h)"},
    {DiagramText::kDesignSpeed, "Vitesse du type de route", "Design speed of the road type"},
    {DiagramText::kSightDistance, "Distance de visibilité (m)", "Sight distance (m)"},
    {DiagramText::kAvailable, "Disponible", "Available"},
    {DiagramText::kRequired, "Requise", "Required"},
    {DiagramText::kPassingPossible, "Dépassement possible", "Passing possible"},
    {DiagramText::kPassingShare, "Dépassement possible :", "Passing possible:"},
    {DiagramText::kNothingComputed, "Rien de calculé sur ce tronçon", "Nothing computed on this stretch"},
};

}  // namespace

QString diagram_text(DiagramText text, DiagramLanguage language) {
  const TextPair& pair = kTexts[static_cast<int>(text)];
  return QString::fromUtf8(language == DiagramLanguage::kFrench ? pair.french : pair.english);
}

}  // namespace corvalinde::draw
