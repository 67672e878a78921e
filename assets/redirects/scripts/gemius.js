// Stands in for Gemius's audience measurement script (xgemius.js): the page's
// snippet defines queueing stubs for gemius_hit, gemius_event, pp_gemius_hit
// and pp_gemius_event that store their calls in <name>_pdata; these become
// functions that send nothing, and the stored calls are dropped. Players get a
// GemiusPlayer whose methods do nothing.
(function() {
    'use strict';
    var noop = function() {};

    ['gemius_hit', 'gemius_event', 'pp_gemius_hit', 'pp_gemius_event'].forEach(function(name) {
        window[name] = noop;
        window[name + '_pdata'] = [];
    });

    var GemiusPlayer = function() {};
    [
        'newProgram', 'newAd', 'adEvent', 'programEvent', 'setVideoObject', 'setProgramData',
        'setAdditionalParameters', 'setParameters', 'closeStream', 'dispose',
    ].forEach(function(name) {
        GemiusPlayer.prototype[name] = noop;
    });
    window.GemiusPlayer = GemiusPlayer;
})();
