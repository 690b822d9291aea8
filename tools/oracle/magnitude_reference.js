// Writes the planet magnitude reference to stdout in the layout of
// tests/data/magnitude_reference.csv, from the astronomy-engine ephemeris
// (Don Cross, MIT licence): for Mercury, Venus, Mars, Jupiter and Saturn at
// 40 instants each between 1900 and 2100, geocentric, in UT.
//
// Columns: body, fixed day number with the UT day fraction, the engine's
// visual magnitude (Illumination), phase angle (degrees), Sun-planet and
// Earth-planet distances (au), and for Saturn the Saturnicentric latitude of
// the Earth referred to the ring plane B and the difference dU of the
// Saturnicentric longitudes of the Sun and the Earth in that plane (degrees).
// B and dU are computed here from the engine's vectors and its IAU model of
// Saturn's pole (RotationAxis): the ring plane is Saturn's equator.
//
// Usage: cd tools/oracle && npm ci && node magnitude_reference.js > ../../tests/data/magnitude_reference.csv
'use strict';
const Astronomy = require('astronomy-engine');
const path = require('path');
const fs = require('fs');
const version = JSON.parse(
  fs.readFileSync(path.join(path.dirname(require.resolve('astronomy-engine')), 'package.json'), 'utf8')).version;

const kFixJ2000 = 730120.5;  // fixed day of 2000 January 1, 12:00 UT
const kFirst = 693596;       // fixed day of 1900 January 1
const kLast = 766645;        // fixed day of 2100 January 1
const kCount = 40;
const bodies = ['Mercury', 'Venus', 'Mars', 'Jupiter', 'Saturn'];

const dot = (a, b) => a.x * b.x + a.y * b.y + a.z * b.z;
const cross = (a, b) => ({ x: a.y * b.z - a.z * b.y, y: a.z * b.x - a.x * b.z, z: a.x * b.y - a.y * b.x });
const unit = (a) => {
  const n = Math.sqrt(dot(a, a));
  return { x: a.x / n, y: a.y / n, z: a.z / n };
};
const neg = (a) => ({ x: -a.x, y: -a.y, z: -a.z });
const deg = (rad) => (rad * 180) / Math.PI;

// Latitude of v above the plane whose pole is p, and its longitude in that
// plane from a fixed direction (degrees).
function inPlane(v, p) {
  const e1 = unit(cross({ x: 0, y: 0, z: 1 }, p));
  const e2 = cross(p, e1);
  const u = unit(v);
  return { lat: deg(Math.asin(dot(u, p))), lon: deg(Math.atan2(dot(u, e2), dot(u, e1))) };
}

console.log(`# Planet magnitudes from astronomy-engine ${version} (Don Cross, MIT licence;`);
console.log('# https://github.com/cosinekitty/astronomy): Illumination() at 40 instants per planet');
console.log('# from 1900 to 2100 - geocentric - UT. Its magnitudes follow modern V-band phase laws (for');
console.log('# Mercury and Venus those of Hilton - Astronomical Journal 129 (2005)); Saturn with its rings.');
console.log('# Saturn: B and dU from the engine\'s vectors and its IAU model of Saturn\'s pole.');
console.log('# Regenerate: cd tools/oracle && npm ci && node magnitude_reference.js > ../../tests/data/magnitude_reference.csv');
console.log('# body,fix,mag,phase_angle,r_au,delta_au,B,dU');
bodies.forEach((name, b) => {
  for (let k = 0; k < kCount; ++k) {
    // Spread over the two centuries, each planet at its own instants.
    const f = (k + ((0.6180339887 * (k + 1) * (b + 3)) % 1)) / kCount;
    const fix = kFirst + f * (kLast - kFirst);
    const time = new Astronomy.AstroTime(fix - kFixJ2000);
    const body = Astronomy.Body[name];
    const info = Astronomy.Illumination(body, time);
    let B = '', dU = '';
    if (name === 'Saturn') {
      const pole = Astronomy.RotationAxis(body, time).north;
      const earth = inPlane(neg(info.gc), pole);
      const sun = inPlane(neg(info.hc), pole);
      let d = Math.abs(sun.lon - earth.lon);
      if (d > 180) d = 360 - d;
      B = earth.lat.toFixed(4);
      dU = d.toFixed(4);
    }
    console.log([name, fix.toFixed(6), info.mag.toFixed(4), info.phase_angle.toFixed(4), info.helio_dist.toFixed(7),
      info.geo_dist.toFixed(7), B, dU].join(','));
  }
});
