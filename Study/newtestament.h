#pragma once

#include <QString>

namespace nttext {
class Text;
}

namespace karte {

// The Greek New Testament's companion file, read the first time a window asks for it and kept for the run. Null
// when it cannot be read; studying goes on without verses, forms and books, and newTestamentProblem() says why.
const nttext::Text* newTestamentText();
QString newTestamentProblem();

} // namespace karte
