// The one header of a lower folder the media folder is allowed alone.
#pragma once
