#include "projections/ProjectionTable.h"

#include <cstring>

#include "coordsys/core/CsCore.h"
// Each family's header is seen here and by the family's own sources only.
#include "projections/AeProjection.h"
#include "projections/AzmeaProjection.h"
#include "projections/AzmedProjection.h"
#include "projections/BipolarProjection.h"
#include "projections/BonneProjection.h"
#include "projections/CassiniProjection.h"
#include "projections/ConicCheck.h"
#include "projections/EckertProjection.h"
#include "projections/EdcncProjection.h"
#include "projections/EdcylProjection.h"
#include "projections/GnomonicProjection.h"
#include "projections/HomProjection.h"
#include "projections/KrovakProjection.h"
#include "projections/LlProjection.h"
#include "projections/LmProjection.h"
#include "projections/LmtanProjection.h"
#include "projections/MillerProjection.h"
#include "projections/ModpcProjection.h"
#include "projections/MollweideProjection.h"
#include "projections/MrcatProjection.h"
#include "projections/MsteroProjection.h"
#include "projections/NeacylProjection.h"
#include "projections/NerthProjection.h"
#include "projections/NzProjection.h"
#include "projections/OrthoProjection.h"
#include "projections/OsteroProjection.h"
#include "projections/OsterousProjection.h"
#include "projections/PlycnProjection.h"
#include "projections/PsteroProjection.h"
#include "projections/RobinsonProjection.h"
#include "projections/SinusProjection.h"
#include "projections/SwissProjection.h"
#include "projections/Systm34Projection.h"
#include "projections/TeacylProjection.h"
#include "projections/TmProjection.h"
#include "projections/TmSnyderProjection.h"
#include "projections/VdgrntnProjection.h"
#include "projections/WinkelProjection.h"

// In table order; the last row has an empty key.
constexpr CsProjectionEntry cs_ProjectionTable[] = {
    {"LL", CS_llSetup, CS_llCheck, kCsProjLl, 0, 0x0500021F,
     "Null Projection, produces/processes Latitude & Longitude"},
    {"LM", CS_lmSetup, CS_lmCheck, kCsProjLm, 0, 0x00008037,
     "Lambert Conformal Conic Projection, Two Standard Parallels"},
    {"LM1SP", CS_lmSetup, CS_lmCheck, kCsProjLm1sp, 0, 0x02008037,
     "Lambert Conformal Conic Projection, One Standard Parallel"},
    {"LMBLGN", CS_lmSetup, CS_lmCheck, kCsProjLmblgn, 0, 0x00008037,
     "Lambert Conformal Conic Projection, Belgian Variation"},
    {"LM-WCCS", CS_lmSetup, CS_lmCheck, kCsProjLmWccs, 0, 0x00008037,
     "Lambert Conformal Conic, Wisconsin County Variation"},
    {"LM-MNDOT", CS_lmSetup, CS_lmCheck, kCsProjLmMndot, 0, 0x00008037,
     "Lambert Conformal Conic, Minnesota DOT Variation"},
    {"TM", CS_tmSetup, CS_tmCheck, kCsProjTm, 0, 0x0A004837,
     "Transverse Mercator or Gauss Kruger Projection"},
    {"UTM", CS_tmSetup, CS_tmCheck, kCsProjUtm, 0, 0x0D004837,
     "Universal Transverse Mercator System"},
    {"GAUSSK", CS_tmSetup, CS_tmCheck, kCsProjGaussk, 0, 0x08004837,
     "Gauss Kruger Projection, aka Gauss"},
    {"SOTM", CS_tmSetup, CS_tmCheck, kCsProjSotm, 0, 0x0A004837,
     "South Oriented Transverse Mercator"},
    {"TM-WCCS", CS_tmSetup, CS_tmCheck, kCsProjTmWccs, 0, 0x0A004837,
     "Transverse Mercator, Wisconsin County Variation"},
    {"TM-MNDOT", CS_tmSetup, CS_tmCheck, kCsProjTmMndot, 0, 0x08004837,
     "Transverse Mercator, Minnesota DOT Variation"},
    {"TM-SNYDER", CS_tmSnyderSetup, CS_tmSnyderCheck, kCsProjTmSnyder, 0, 0x0A004837,
     "Transverse Mercator per J. P. Snyder"},
    {"AE", CS_aeSetup, CS_conicCheck, kCsProjAe, 0, 0x0000804F,
     "Albers Equal Area Conic Projection"},
    {"HOM1UV", CS_homSetup, CS_homCheck, kCsProjHom1uv, 0, 0x0E004427,
     "Unrectified Hotine Oblique Mercator Projection"},
    {"HOM1XY", CS_homSetup, CS_homCheck, kCsProjHom1xy, 0, 0x0E004427,
     "Alaska Variation of Hotine Oblique Mercator Projection"},
    {"HOM2UV", CS_homSetup, CS_homCheck, kCsProjHom2uv, 0, 0x0A004427,
     "Unrectified Hotine Oblique Mercator Projection, Two Point Form"},
    {"HOM2XY", CS_homSetup, CS_homCheck, kCsProjHom2xy, 0, 0x0A004427,
     "Rectified Skew Orthomorphic, Two Point Form"},
    {"RSKEW", CS_homSetup, CS_homCheck, kCsProjRskew, 0, 0x0E004427,
     "Rectified Skew Orthomorphic, Azimuth at Projection Center"},
    {"RSKEWC", CS_homSetup, CS_homCheck, kCsProjRskewc, 0, 0x0E004427,
     "Rectified Skew Orthomorphic, Origin & Azimuth at Center"},
    {"MRCAT", CS_mrcatSetup, CS_mrcatCheck, kCsProjMrcat, 0, 0x0C004037,
     "Mercator Cylindrical Projection with Standard Parallel"},
    {"MRCATK", CS_mrcatSetup, CS_mrcatCheck, kCsProjMrcatk, 0, 0x0E004037,
     "Mercator Cylindrical Projection with Scale Reduction"},
    {"AZMED", CS_azmedSetup, CS_azmedCheck, kCsProjAzmed, 0, 0x0001018F,
     "Lambert Azimuthal Equidistant Projection"},
    {"AZMEA", CS_azmeaSetup, CS_azmeaCheck, kCsProjAzmea, 0, 0x0001014F,
     "Lambert Azimuthal Equal Area Projection"},
    {"LMTAN", CS_lmtanSetup, CS_lmtanCheck, kCsProjLmtan, 0, 0x02008022,
     "Lambert Tangential Conformal Conic Projection"},
    {"PLYCN", CS_plycnSetup, CS_cassiniCheck, kCsProjPlycn, 0, 0x0800808F,
     "Hassler American Polyconic Projection"},
    {"MODPC", CS_modpcSetup, CS_modpcCheck, kCsProjModpc, 0, 0x0C008002,
     "Lallemand IMW Modified Polyconic Projection"},
    {"EDCNC", CS_edcncSetup, CS_conicCheck, kCsProjEdcnc, 0, 0x0000808F,
     "Equidistant Conic Projection, aka Simple Conic"},
    {"MILLER", CS_millerSetup, CS_millerCheck, kCsProjMiller, 0, 0x0C00401D,
     "Miller Cylindrical Projection"},
    {"OSTEROUS", CS_osterousSetup, CS_osterousCheck, kCsProjOsterous, 0, 0x02010127,
     "Oblique Sterographic Projection, per Snyder (USA)"},
    {"OSTERO", CS_osteroSetup, CS_osteroCheck, kCsProjOstero, 0, 0x02010127,
     "Oblique Sterographic Projection"},
    {"PSTERO", CS_psteroSetup, CS_psteroCheck, kCsProjPstero, 0, 0x02010127,
     "Polar Sterographic Projection"},
    {"PSTEROSL", CS_psteroSetup, CS_psteroCheck, kCsProjPsterosl, 0, 0x00010127,
     "Polar Sterographic Projection with Standard Circle"},
    {"SINUS", CS_sinusSetup, CS_sinusCheck, kCsProjSinus, 0, 0x0400705F,
     "Sinusoidal Projection, Optionally Interrupted"},
    {"ORTHO", CS_orthoSetup, CS_gnomonicCheck, kCsProjOrtho, 0, 0x0001010D,
     "Orthographic Projection"},
    {"GNOMONIC", CS_gnomonicSetup, CS_gnomonicCheck, kCsProjGnomonic, 0, 0x0001010D,
     "Gnomonic Projection"},
    {"EDCYL", CS_edcylSetup, CS_edcylCheck, kCsProjEdcyl, 0, 0x0000409D,
     "Equidistant Cylindrical Projection"},
    {"VDGRNTN", CS_vdgrntnSetup, CS_sinusCheck, kCsProjVdgrntn, 0, 0x04020001,
     "Van Der Grinten Projection"},
    {"CASSINI", CS_cassiniSetup, CS_cassiniCheck, kCsProjCassini, 0, 0x0800480F,
     "Cassini Projection"},
    {"MSTERO", CS_msteroSetup, CS_msteroCheck, kCsProjMstero, 0, 0x00010027,
     "Modified Sterographic Projection"},
    {"NZEALAND", CS_nzSetup, CS_nzCheck, kCsProjNzealand, 0, 0x00010022,
     "New Zealand National Grid"},
    {"ROBINSON", CS_robinsonSetup, CS_sinusCheck, kCsProjRobinson, 0, 0x04005001,
     "Robinson Cylindrical Projection"},
    {"BONNE", CS_bonneSetup, CS_gnomonicCheck, kCsProjBonne, 0, 0x00009043,
     "Bonne Pseudoconical Projection"},
    {"ECKERT4", CS_eckert4Setup, CS_sinusCheck, kCsProjEckert4, 0, 0x04005041,
     "Ekert Pseudocylindrical Projection, Number IV"},
    {"ECKERT6", CS_eckert6Setup, CS_sinusCheck, kCsProjEckert6, 0, 0x04005041,
     "Ekert Pseudocylindrical Projection, Number VI"},
    {"MOLLWEID", CS_mollweidSetup, CS_sinusCheck, kCsProjMollweid, 0, 0x04007041,
     "Mollweide Projection"},
    {"GOODE", CS_goodeSetup, CS_sinusCheck, kCsProjGoode, 0, 0x04007041,
     "Goode Homolosine Projection"},
    {"NEACYL", CS_neacylSetup, CS_neacylCheck, kCsProjNeacyl, 0, 0x04004043,
     "Normal Aspect, Equal Area Cylindrical Projection"},
    {"TEACYL", CS_teacylSetup, CS_teacylCheck, kCsProjTeacyl, 0, 0x02004843,
     "Transverse Aspect, Equal Area Cylindrical Projection"},
    {"BIPOLAR", CS_bipolarSetup, CS_bipolarCheck, kCsProjBipolar, 0, 0x0C008021,
     "Bipolar Oblique Conformal Conic Projection"},
    {"SWISS", CS_swissSetup, CS_swissCheck, kCsProjSwiss, 0, 0x00004423,
     "Swiss Oblique Cylindrical Projection"},
    {"KROVAK", CS_krovakSetup, CS_krovakCheck, kCsProjKrovak, 0, 0x0D008437,
     "Krovak Oblique Conformal Conic, Czechoslovokia"},
    {"KROVAK95", CS_krovakSetup, CS_krovakCheck, kCsProjKrovak95, 0, 0x0F008437,
     "Krovak Oblique Conformal Conic/95 Adjustment"},
    {"TMAF", CS_tmSetup, CS_tmCheck, kCsProjTmaf, 0, 0x0A104837,
     "Transverse Mercator (Gauss/Kruger) with Affine Post Process"},
    {"NERTH", CS_nerthSetup, CS_nerthCheck, kCsProjNerth, 0, 0x0C020034,
     "Non-georeferenced (aka non-earth) coordinate system"},
    {"OBQCYL", CS_swissSetup, CS_swissCheck, kCsProjObqcyl, 0, 0x02004423,
     "Oblique Cylindrical Projection (Generalized)"},
    {"SYSTM34", CS_sys34Setup, CS_sys34Check, kCsProjSystm34, 0, 0x0D004823,
     "Danish System 34, UTM + polynomials (pre-1999 vinatge)"},
    {"OSTN97", CS_tmSetup, CS_tmCheck, kCsProjOstn97, 0, 0x0D004837,
     "Ordnance Survey National Grid Transformation of 1997"},
    {"AZMED-ELEV", CS_azmedSetup, CS_azmedCheck, kCsProjAzmedElev, 0, 0x0001018F,
     "Lambert Azimuthal Equidistant, Elevated Ellipsoid"},
    {"OSTN02", CS_tmSetup, CS_tmCheck, kCsProjOstn02, 0, 0x0D004837,
     "Ordnance Survey National Grid Transformation of 2002"},
    {"SYSTM34-99", CS_sys34Setup, CS_sys34Check, kCsProjSystm3499, 0, 0x0D004823,
     "Danish System 34, UTM + polynomials (1999 vintage)"},
    {"RSKEWO", CS_homSetup, CS_homCheck, kCsProjRskewo, 0, 0x0E004427,
     "Rectified Skew Orthomorphic, Skew Azimuth at Rectified Origin"},
    {"TRMRKRG", CS_tmSetup, CS_tmCheck, kCsProjTrmrkrg, 0, 0x0A004837,
     "Transverse Mercator using Kruger Formulation"},
    {"WINKEL", CS_winkelSetup, CS_winkelCheck, kCsProjWinkel, 0, 0x04001101,
     "Winkel-Tripel, variable standard latitude"},
    {"", nullptr, nullptr, 0, 0, 0, ""},
};
constexpr int cs_ProjectionCount =
    static_cast<int>(sizeof cs_ProjectionTable / sizeof cs_ProjectionTable[0]) - 1;

const CsProjectionEntry* CS_projectionLookup(const char* key) {
    for (const CsProjectionEntry* row = cs_ProjectionTable; row->key[0] != '\0'; ++row) {
        if (CS_stricmp(row->key, key) == 0) return row;
    }
    return nullptr;
}

const CsProjectionEntry* CS_projectionLookupExact(const char* key) {
    for (const CsProjectionEntry* row = cs_ProjectionTable; row->key[0] != '\0'; ++row) {
        if (std::strcmp(row->key, key) == 0) return row;
    }
    return nullptr;
}
