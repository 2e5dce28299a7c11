// Stand-in header.
#pragma once
