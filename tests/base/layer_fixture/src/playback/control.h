// A header of that folder the media folder may not include.
#pragma once
