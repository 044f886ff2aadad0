// TObject: the framework's root class. The controls, the forms, the application object and the
// registry accessor derive from it; it gives them one virtual destructor.
#pragma once

class TObject {
 public:
  virtual ~TObject() = default;
};
