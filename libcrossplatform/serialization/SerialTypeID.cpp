#include "serialization/SerialTypeID.h"

namespace Marshal {

void SerialTypeID::serialize(IObjectWriter& w) const {
    w.write(domain);
    w.write(code);
}

StreamOpStatus SerialTypeID::deserialize(IObjectReader& r) {
    if (!r.read(domain) || !r.read(code)) return readError;
    return ok;
}

}  // namespace Marshal
