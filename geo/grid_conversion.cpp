// Grid to WGS84 through PROJ.
#include "geo/grid_conversion.h"

#include <proj.h>

#include <cmath>

namespace tv {

struct CGridConverter::Impl {
  PJ_CONTEXT* context = nullptr;
  PJ* british = nullptr;
  PJ* irish = nullptr;
  bool triedBritish = false;
  bool triedIrish = false;
  std::string britishError;
  std::string irishError;

  ~Impl() {
    if (british) proj_destroy(british);
    if (irish) proj_destroy(irish);
    if (context) proj_context_destroy(context);
  }

  std::string LastError() const {
    const int code = proj_context_errno(context);
    const char* text = proj_context_errno_string(context, code);
    return text ? text : "PROJ gave no reason";
  }

  // The transformation from `grid` to WGS84, with easting and northing in and longitude and
  // latitude out whatever axis order the definitions use.
  PJ* Make(const char* grid, std::string& error) {
    PJ* raw = proj_create_crs_to_crs(context, grid, "EPSG:4326", nullptr);
    if (!raw) {
      error = std::string("PROJ cannot convert from ") + grid + ": " + LastError();
      return nullptr;
    }
    PJ* normal = proj_normalize_for_visualization(context, raw);
    proj_destroy(raw);
    if (!normal) error = std::string("PROJ cannot convert from ") + grid + ": " + LastError();
    return normal;
  }

  PJ* For(GridSystem system, std::string& error) {
    if (system == GridSystem::British) {
      if (!triedBritish) {
        triedBritish = true;
        british = Make("EPSG:27700", britishError);
      }
      error = britishError;
      return british;
    }
    if (!triedIrish) {
      triedIrish = true;
      irish = Make("EPSG:29903", irishError);
    }
    error = irishError;
    return irish;
  }
};

CGridConverter::CGridConverter() : m_impl(std::make_unique<Impl>()) {
  m_impl->context = proj_context_create();
  // Conversions stay on this machine, and PROJ's own messages stay off the user's terminal.
  proj_context_set_enable_network(m_impl->context, 0);
  proj_log_level(m_impl->context, PJ_LOG_NONE);
}

CGridConverter::~CGridConverter() = default;

std::optional<CLatLong> CGridConverter::ToWgs84(const CGridPoint& point, std::string* why) {
  std::string error;
  PJ* transformation = m_impl->For(point.system, error);
  if (!transformation) {
    if (why) *why = error;
    return std::nullopt;
  }
  const PJ_COORD out =
      proj_trans(transformation, PJ_FWD, proj_coord(point.easting, point.northing, 0, 0));
  const double longitude = out.lp.lam;
  const double latitude = out.lp.phi;
  if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90 ||
      std::abs(longitude) > 180) {
    if (why) *why = "PROJ could not convert the grid point: " + m_impl->LastError();
    proj_errno_reset(transformation);
    return std::nullopt;
  }
  return CLatLong{.latitude = latitude, .longitude = longitude};
}

}  // namespace tv
