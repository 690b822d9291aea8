// Writes the rise and set reference of the Sun and the Moon for a few places
// from the equator to 61 N through 2024, from the astronomy-engine ephemeris
// (Don Cross, MIT licence), to stdout in the layout of
// tests/data/rise_set_reference.csv.
//
// Two instants per event, both in UT:
// - geometric: the body's centre crossing true altitude 0, topocentric, no
//   refraction (SearchAltitude with altitude 0: it takes the centre of the
//   body, the topocentric place of date with aberration and no refraction);
// - apparent: the upper limb on the flat horizon with the engine's own
//   refraction (SearchRiseSet: 34 arcminutes scaled by the air density of the
//   standard atmosphere at the observer's height, no dip). Another refraction
//   model than ours, so only for comparison.
//
// An event belongs to civil date N when it lies within half a day of the
// place's local mean noon (N + 0.5 - longitude / 360 in UT). Events closer
// than kMargin to either end of that window are left out, since the day's
// true-solar bounds differ from the mean ones by the equation of time (up to
// about 16 minutes); so are days with no event or with two events of one kind.
//
// Usage: node tools/oracle/rise_set_reference.js > tests/data/rise_set_reference.csv
'use strict';
const Astronomy = require('astronomy-engine');
const path = require('path');
const fs = require('fs');
// The installed version, read from the package's own manifest (not exported).
const version = JSON.parse(
  fs.readFileSync(path.join(path.dirname(require.resolve('astronomy-engine')), 'package.json'), 'utf8')).version;

// Name, latitude (north positive), longitude (east positive), height (m).
// Rounded coordinates of each city centre.
const places = [
  ['Quito', -0.18, -78.47, 2850],
  ['Singapore', 1.29, 103.85, 15],
  ['Jerusalem', 31.7767, 35.2345, 800],
  ['CapeTown', -33.92, 18.42, 10],
  ['NewYork', 40.71, -74.01, 10],
  ['Helsinki', 60.17, 24.94, 10],
  ['Anchorage', 61.22, -149.9, 30],
];

const kFirstDay = 738886;  // fixed day of 1 January 2024
const kLastDay = 739251;   // 31 December 2024
const kStep = 3;           // every third day
const kMargin = 0.03;      // days kept clear of either end of the local day
const kFixJ2000 = 730120.5;  // fixed day of 2000 January 1, 12:00 UT
const kClearAltitude = 0.05;  // degrees between the horizon and a never-rising or never-setting body

const fixToTime = (fix) => new Astronomy.AstroTime(fix - kFixJ2000);
const timeToFix = (t) => t.ut + kFixJ2000;

// The events of one kind in [start, end]: an array of fixed-day instants.
function events(search, start, end) {
  const found = [];
  let from = start;
  for (;;) {
    const t = search(fixToTime(from), end - from);
    if (!t) break;
    const fix = timeToFix(t);
    if (fix > end) break;
    found.push(fix);
    from = fix + 1 / 1440;
  }
  return found;
}

// The single event of the local day kept clear of its ends, or null.
function dayEvent(search, noon) {
  const found = events(search, noon - 0.5, noon + 0.5);
  if (found.length !== 1) return null;
  const fix = found[0];
  return Math.abs(fix - noon) <= 0.5 - kMargin ? fix : null;
}

// The body's centre's true topocentric altitude (degrees, no refraction).
function altitude(body, observer, time) {
  const eq = Astronomy.Equator(body, time, observer, true, true);
  return Astronomy.Horizon(time, observer, eq.ra, eq.dec).altitude;
}

// On a local day without any crossing of altitude 0: ['never-rises', upper
// transit] when the body stays below the horizon all day, ['never-sets',
// lower transit] when it stays above, each only when its altitude at that
// transit is kClearAltitude or more away from 0 and the transit lies within
// the day, kept clear of its ends; otherwise null.
function neverEvent(body, observer, noon) {
  const crossings = [+1, -1].flatMap((direction) =>
    events((t, limit) => Astronomy.SearchAltitude(body, observer, direction, t, limit, 0), noon - 0.5, noon + 0.5));
  if (crossings.length) return null;
  for (const [kind, hourAngle] of [['never-rises', 0], ['never-sets', 12]]) {
    const transit = Astronomy.SearchHourAngle(body, observer, hourAngle, fixToTime(noon - 0.5)).time;
    const fix = timeToFix(transit);
    if (Math.abs(fix - noon) > 0.5 - kMargin) continue;
    const alt = altitude(body, observer, transit);
    if (kind === 'never-rises' ? alt < -kClearAltitude : alt > kClearAltitude) return [kind, fix];
  }
  return null;
}

const out = [];
out.push('# Rise and set of the Sun and the Moon in 2024, every third day, in UT, from astronomy-engine ' + version);
out.push('# (Don Cross, MIT licence; https://github.com/cosinekitty/astronomy): SearchAltitude for the geometric');
out.push('# instants (centre at true altitude 0, topocentric, no refraction) and SearchRiseSet for the apparent');
out.push('# ones (upper limb, 34 arcminutes of refraction scaled by the standard-atmosphere density at the height).');
out.push('# Regenerate: cd tools/oracle && npm ci && node rise_set_reference.js > ../../tests/data/rise_set_reference.csv');
out.push('# place rows: name, latitude, longitude (east positive), height (m), and the standard atmosphere at that');
out.push('# height (US Standard Atmosphere 1976 via Atmosphere()): temperature (C), pressure (mbar).');
out.push('# event rows: place, fixed day of the civil date, body, rise or set, geometric instant, apparent instant');
out.push('# (fixed day numbers with the UT day fraction; the apparent one empty when it falls on another day).');
out.push('# never-rises and never-sets rows: days on which the centre stays below (above) true altitude 0 all day,');
out.push('# by at least 0.05 degrees at the topocentric upper (lower) transit, with the instant of that transit');
out.push('# (SearchHourAngle) in place of the geometric instant.');
out.push('# An event belongs to the date when it lies within half a day of local mean noon, kept 0.03 day clear');
out.push('# of the ends of that window; days without such an event are left out.');
for (const [name, lat, lon, height] of places) {
  const atm = Astronomy.Atmosphere(height);
  out.push(['place', name, lat, lon, height, (atm.temperature - 273.15).toFixed(2), (atm.pressure / 100).toFixed(2)].join(','));
}
for (const [name, lat, lon, height] of places) {
  const observer = new Astronomy.Observer(lat, lon, height);
  for (let day = kFirstDay; day <= kLastDay; day += kStep) {
    const noon = day + 0.5 - lon / 360;
    for (const body of [Astronomy.Body.Sun, Astronomy.Body.Moon]) {
      const never = neverEvent(body, observer, noon);
      if (never) {
        out.push([name, day, body, never[0], never[1].toFixed(7), ''].join(','));
        continue;
      }
      for (const [kind, direction] of [['rise', +1], ['set', -1]]) {
        const geometric = dayEvent((t, limit) => Astronomy.SearchAltitude(body, observer, direction, t, limit, 0), noon);
        if (geometric === null) continue;
        const apparent = dayEvent((t, limit) => Astronomy.SearchRiseSet(body, observer, direction, t, limit), noon);
        out.push([name, day, body, kind, geometric.toFixed(7), apparent === null ? '' : apparent.toFixed(7)].join(','));
      }
    }
  }
}
process.stdout.write(out.join('\n') + '\n');
