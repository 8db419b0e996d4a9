// The print system's client library, opened when a queue's resolution is first
// asked for (a print or a preview): a start that prints nothing never maps it.
#include <cups/cups.h>

#include "framework/lazy_library.h"

namespace {

velmo::LazyLibrary cups(VELMO_CUPS_SONAME);

}  // namespace

VELMO_FORWARD(cups, cups_dest_t*, cupsGetNamedDest, (http_t * http, const char* name, const char* instance),
              (http, name, instance))
VELMO_FORWARD(cups, cups_dinfo_t*, cupsCopyDestInfo, (http_t * http, cups_dest_t* dest), (http, dest))
VELMO_FORWARD(cups, ipp_attribute_t*, cupsFindDestDefault,
              (http_t * http, cups_dest_t* dest, cups_dinfo_t* dinfo, const char* option), (http, dest, dinfo, option))
VELMO_FORWARD(cups, ipp_tag_t, ippGetValueTag, (ipp_attribute_t * attr), (attr))
VELMO_FORWARD(cups, int, ippGetResolution, (ipp_attribute_t * attr, int element, int* yres, ipp_res_t* units),
              (attr, element, yres, units))
VELMO_FORWARD(cups, void, cupsFreeDestInfo, (cups_dinfo_t * dinfo), (dinfo))
VELMO_FORWARD(cups, void, cupsFreeDests, (int num_dests, cups_dest_t* dests), (num_dests, dests))
