// The whole session: the session with the headers of every engine it builds,
// for the front ends, the window's models, the worker pool and the tests.
// Routines below this floor include base/session.h and the headers of the
// engines they call instead.
#pragma once

#include "base/session.h"
#include "calendar/dms.h"
#include "calendar/gregorian.h"
#include "calendar/hebrew.h"
#include "calendar/islamic.h"
#include "calendar/julian.h"
#include "calendar/julian_day.h"
#include "timescale/delta_t.h"
#include "timescale/jde.h"
#include "location/current_location.h"
#include "location/location_data.h"
#include "location/weather.h"
#include "ephemeris/hbody.h"
#include "timescale/local_time.h"
#include "timescale/utc.h"
#include "timescale/mean_solar.h"
#include "timescale/sidereal.h"
#include "timescale/true_solar.h"
#include "timescale/seasonal.h"
#include "timescale/time_text.h"
#include "timescale/date_text.h"
#include "timescale/conversions.h"
#include "visibility/sky.h"
