#include "loader/CoordConverter.h"

// No coordinate-system library is linked in yet: every projected system is unknown.
Status MakeCoordConverter(const std::string&, const CCoordSysDescriptor*, CLoaderSettings&,
                          std::unique_ptr<CCoordConverter>& converter) {
    converter.reset();
    return kLoaderCoordSysNotFound;
}
