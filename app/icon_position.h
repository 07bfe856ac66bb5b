// Where the minimised window draws its icon: centred in the client area, a
// centre between two pixels going to the lower right. The division is on
// signed integers and truncates toward zero, so an area narrower than the
// icon by one pixel still draws at 0.
#pragma once

constexpr int CentredIconOffset(int clientExtent, int iconExtent) {
  return (clientExtent - iconExtent + 1) / 2;
}
