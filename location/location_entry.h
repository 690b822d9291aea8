// The location dialog without its window: the state of its controls, what
// choosing a country, city or neighbourhood does, the checks and messages of
// OK and the effect of OK and Cancel. frmLocation only moves text and choices
// between its controls and this model.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/session_bound.h"
#include "base/location_types.h"
#include "location/place_search.h"

namespace nemora {

// What the dialog's controls show. Texts are the text boxes; each pair of
// option buttons is one flag (the second button shows the opposite).
struct LocationControls {
  std::vector<std::string> cboCountry, cboCity, cboNeighborhood;  // list entries
  int intCountry = -1, intCity = -1, intNeighborhood = -1;          // selected entries, -1 none
  std::string txtLat = "31.78", txtLong = "35.22";                  // decimal degrees (magnitudes)
  std::string txtLatDeg, txtLatMin, txtLatSec;
  std::string txtLongDeg, txtLongMin, txtLongSec;
  bool optNorth = true;  // optSouth
  bool optEast = true;   // optWest
  std::string txtHeight = "740";
  std::string txtTZ = "2";  // decimal hours (magnitude)
  std::string txtTZH, txtTZM;
  bool optAhead = true;  // "Ahead of UT"; optBehind "Behind UT"
  bool optDST = false;   // optST
  bool optAuto = true;   // optManual
  bool optDMS = false;   // optDeg "Degs/Hours only"
  std::string txtFind;                // the search box
  std::vector<std::string> lstFound;  // the towns found for it, "City, Country"
};

class LocationEntry : public SessionBound {
 public:
  // Loads the dialog from the session's location (messages for names that
  // are not in their lists).
  explicit LocationEntry(Session& session);

  LocationControls controls;
  bool blnPlaceValid = false;  // the position boxes hold the chosen neighbourhood's
  int intNTZ = 1;              // zone-history count of the chosen country
  bool blnFinished = false;    // OK or Cancel has closed the dialog
  bool blnOK = false;          // closed with OK

  // The user chose a list entry: a country loads its zone history at the
  // input instant and selects its first city; a city selects its first
  // neighbourhood; a neighbourhood fills the position and height boxes.
  void cboCountryClick(int index);
  void cboCityClick(int index);
  void cboNeighborhoodClick(int index);
  // The user typed in the search box: the towns whose names begin with or
  // contain the text, best first (at most kFoundShown).
  void txtFindChanged(const std::string& text);
  // The user chose a town found: its country, city and first neighbourhood
  // are selected as if chosen in the lists.
  void lstFoundClick(int index);
  static constexpr size_t kFoundShown = 30;
  // The user edited a latitude or longitude box or clicked a hemisphere.
  void positionEdited();
  // optDeg / optDMS: which position and zone boxes are shown.
  void displayChosen(bool blnDMS);

  // Checks every box; on a failure shows "Error in location." with one line
  // per failure and returns false (the dialog stays open). Otherwise stores
  // the location and returns true.
  bool cmdOK();
  // Closes without change.
  void cmdCancel();

 private:
  void fillCities();
  void fillNeighborhoods();
  // Position and height boxes from the chosen neighbourhood.
  void ChangePosition();
  // The position boxes (decimal and degrees-minutes-seconds) for a value.
  void showPosition(double dblLatitude, double dblLongitude);
  double inputInstant() const;

  bool blnLoaded_ = false;
  std::vector<PlaceFound> found_;        // the towns of lstFound
  std::unique_ptr<PlaceFinder> finder_;  // made on the first search
  udtLocation working_;  // the chosen country's zone history, for the zone boxes
};

}  // namespace nemora
