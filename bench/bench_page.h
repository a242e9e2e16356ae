#pragma once

#include <string>

// The markup a benchmark works on.
struct BenchPage {
    std::string strMarkup;  // GBK markup, as the host stores it
    int nElements = 0;      // elements the reader makes of it
};

// The example exam page as it is stored in examples/ (line breaks between tags included).
const BenchPage& ExamplePage();

// The example page's elements, written in the writer's form and repeated in order until
// the document is as close to kGrownPageBytes as whole elements allow. The reader takes
// all of it: nothing is cut.
inline constexpr std::size_t kGrownPageBytes = 20000;
const BenchPage& GrownPage();
