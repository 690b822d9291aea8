#include "cli/json_output.h"

namespace nemora::cli {

Json dateJson(const udtDate& date) {
  Json o;
  o["enmDateType"] = date.enmDateType;
  o["dblDay"] = date.dblDay;
  o["intDateOfMonth"] = date.intDateOfMonth;
  o["intMonth"] = date.intMonth;
  o["intYear"] = date.intYear;
  o["blnCE"] = date.blnCE;
  o["blnEve"] = date.blnEve;
  return o;
}

Json timeJson(const udtTime& time) {
  const udtDms& d = time.udtDms;
  Json dms;
  dms["intDegreesHours"] = d.intDegreesHours;
  dms["intMinutes"] = d.intMinutes;
  dms["dblSeconds"] = d.dblSeconds;
  dms["blnPositive"] = d.blnPositive;
  Json o;
  o["enmTimeType"] = time.enmTimeType;
  o["bln24Hour"] = time.bln24Hour;
  o["blnPM"] = time.blnPM;
  o["udtDms"] = dms;
  o["blnSecondTime"] = time.blnSecondTime;
  return o;
}

Json resultJson(double instant, const udtDate& date, const udtTime& time, const std::string& text) {
  Json o;
  o["instant"] = instant;
  o["date"] = dateJson(date);
  if (date.enmDateType >= dtGregorian) o["time"] = timeJson(time);
  o["text"] = text;
  return o;
}

std::string jsonLine(const Json& object) { return object.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace nemora::cli
