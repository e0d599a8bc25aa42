#pragma once

namespace parlevo::test {

// True when the tests run under Wine rather than Windows: a few things Wine does not do (and
// Windows does) are skipped there.
bool underWine();

} // namespace parlevo::test
