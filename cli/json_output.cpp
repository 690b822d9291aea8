#include "cli/json_output.h"

#include <cstdio>

#include "app/helpers/text.h"

namespace nemora::cli {
namespace {

std::string number(double x) { return jsonNumber(x); }

std::string boolean(bool b) { return b ? "true" : "false"; }

}  // namespace

std::string jsonNumber(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", x);
  return buf;
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string resultJson(double instant, const udtDate& date, const udtTime& time, const std::string& text) {
  std::string out = "{\"instant\":" + number(instant);
  out += ",\"date\":{\"enmDateType\":" + std::to_string(date.enmDateType) + ",\"dblDay\":" + number(date.dblDay) +
         ",\"intDateOfMonth\":" + std::to_string(date.intDateOfMonth) + ",\"intMonth\":" +
         std::to_string(date.intMonth) + ",\"intYear\":" + std::to_string(date.intYear) +
         ",\"blnCE\":" + boolean(date.blnCE) + ",\"blnEve\":" + boolean(date.blnEve) + "}";
  if (date.enmDateType >= dtGregorian) {
    const udtDms& d = time.udtDms;
    out += ",\"time\":{\"enmTimeType\":" + std::to_string(time.enmTimeType) + ",\"bln24Hour\":" +
           boolean(time.bln24Hour) + ",\"blnPM\":" + boolean(time.blnPM) + ",\"udtDms\":{\"intDegreesHours\":" +
           std::to_string(d.intDegreesHours) + ",\"intMinutes\":" + std::to_string(d.intMinutes) +
           ",\"dblSeconds\":" + number(d.dblSeconds) + ",\"blnPositive\":" + boolean(d.blnPositive) +
           "},\"blnSecondTime\":" + boolean(time.blnSecondTime) + "}";
  }
  return out + ",\"text\":" + jsonString(text) + "}";
}

}  // namespace nemora::cli
