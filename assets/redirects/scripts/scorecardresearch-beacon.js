// Stands in for Comscore's beacon.js (scorecardresearch.com): COMSCORE.beacon()
// and COMSCORE.purge() accept the page's measurement parameters and send
// nothing, and the _comscore queue that pages fill before the script loads is
// emptied and then accepts pushes without effect.
(function() {
    'use strict';
    var noop = function() {};

    window.COMSCORE = {
        beacon: noop,
        purge: noop,
    };
    window._comscore = [];
    window._comscore.push = function() {
        return 0;
    };
})();
