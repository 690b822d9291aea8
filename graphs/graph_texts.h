// The words of the graph window: captions, titles, axis names and legends,
// in English or Hebrew.
#pragma once

#include <cstdint>
#include <string>

namespace nemora {

struct udtGraphTexts {
  std::string strCaption;  // "Probability of visibility of the Moon"
  std::string strTitle;    // "Probability versus time" (probability graph only)
  std::string strXAxis;    // "Time", "Azimuth"
  std::string strYAxis;    // "P", "Log(B)", "Alt"
  std::string strY2Axis;   // "Mag" (light curve only)
  std::string strScale;    // "lg(B)" (light curve only)
  std::string strLegend;   // the legend line under the graph
  // The three classes of visibility as the in-picture legend names them.
  std::string strNotVisible, strMayBeVisible, strDefinitely;
  std::string strBest;     // the best instant
  std::string strSun;      // the Sun's place on the horizon
  std::string strGuides;   // the guide planets' dots (finder chart)
  std::string strGuide8, strGuide92;  // the limits of the classes (probability graph)
};

// The texts of graph kind intGraphKind for the body, in the language
// intLanguage (0 English, 1 Hebrew).
udtGraphTexts GraphTexts(const std::string& strHBody, int32_t intGraphKind, int16_t intLanguage);

// The legend line of the graph window and of the printed page. The sketch
// draws the stretch that cannot be seen dotted too, so its legend names it.
inline constexpr const char* kLegendThreeClasses =
    "Dotted Red - not visible, Dashed Blue - May be visible, Solid Black - Definitely visible";
inline constexpr const char* kLegendTwoClasses = "Dotted - not visible, Dashed - May be visible, Solid - Definitely visible";

class Session;
struct udtCurves;

// The lines under a graph's caption that say where and when: "Evening of
// Monday 11th March 2024 Gregorian, Jerusalem (Center), Israel" and
// "Sunset 17:44, moonset 19:03 (local time)" (morning: sunrise and
// moonrise), separated by LF, in the session's language; the clock times as
// the graph's time axis shows them.
std::string GraphWhereWhen(Session& session, const udtCurves& curves);

// The window's message when it is too small for a graph.
inline constexpr const char* kTooSmall = "frmGraph too small to display";

}  // namespace nemora
