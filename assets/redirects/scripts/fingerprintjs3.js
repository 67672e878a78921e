// Stands in for FingerprintJS 3 (the open-source agent): FingerprintJS.load()
// gives an agent whose get() answers with no components and with a visitor
// identifier drawn at random for this page load, so it identifies nobody.
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

    var agent = {
        get: function() {
            return Promise.resolve({
                visitorId: visitorId,
                confidence: {score: 0},
                components: {},
                version: '3.4.2',
            });
        },
    };

    window.FingerprintJS = {
        load: function() {
            return Promise.resolve(agent);
        },
        hashComponents: function() {
            return visitorId;
        },
        componentsToDebugString: function() {
            return '{}';
        },
    };
})();
