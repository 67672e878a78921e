// Stands in for FingerprintJS 2: every way of asking for a fingerprint
// (Fingerprint2.get, getPromise, getV18 and the older `new Fingerprint2().get`)
// answers with no components and with an identifier drawn at random for this
// page load, so it identifies nobody.
(function() {
    'use strict';

    var randomHex = function(length) {
        var out = '';
        while (out.length < length) {
            out += Math.floor(Math.random() * 0x100000000).toString(16).padStart(8, '0');
        }
        return out.slice(0, length);
    };
    var visitorId = randomHex(32);

    // The library answers after collecting; keep the callbacks asynchronous too.
    var later = function(callback, args) {
        if (typeof callback === 'function') {
            setTimeout(function() {
                callback.apply(null, args);
            }, 1);
        }
    };

    // The first argument may be the options or, when there are none, the callback.
    var callbackOf = function(options, callback) {
        return typeof options === 'function' ? options : callback;
    };

    var Fingerprint2 = function() {};
    Fingerprint2.prototype.get = function(callback) {
        later(callback, [visitorId, []]);
    };

    Fingerprint2.get = function(options, callback) {
        later(callbackOf(options, callback), [[]]);
    };
    Fingerprint2.getPromise = function() {
        return Promise.resolve([]);
    };
    Fingerprint2.getV18 = function(options, callback) {
        later(callbackOf(options, callback), [visitorId, []]);
    };
    Fingerprint2.x64hash128 = function() {
        return visitorId;
    };
    Fingerprint2.VERSION = '2.1.4';
    Fingerprint2.NOT_AVAILABLE = 'not available';
    Fingerprint2.ERROR = 'error';
    Fingerprint2.EXCLUDED = 'excluded';

    window.Fingerprint2 = Fingerprint2;
})();
