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
};

// The texts of graph kind intGraphKind for the body, in the language
// intLanguage (0 English, 1 Hebrew).
udtGraphTexts GraphTexts(const std::string& strHBody, int32_t intGraphKind, int16_t intLanguage);

// The legend line of the graph window and of the printed page.
inline constexpr const char* kLegendThreeClasses =
    "Dotted Red - not visible, Dashed Blue - May be visible, Solid Black - Definately visible";
inline constexpr const char* kLegendTwoClasses = "Dashed - May be visible, Solid - Definately visible";

// The window's message when it is too small for a graph.
inline constexpr const char* kTooSmall = "frmGraph too small to display";

}  // namespace nemora
